-- Helper package that only the payroll API may call.
CREATE OR REPLACE PACKAGE payroll_internal
    ACCESSIBLE BY (PACKAGE payroll_api)
AS
    FUNCTION tax_band(p_amount IN NUMBER) RETURN VARCHAR2;
    PROCEDURE write_ledger(p_emp_id IN NUMBER, p_amount IN NUMBER);
END payroll_internal;
/
CREATE OR REPLACE PACKAGE BODY payroll_internal AS
    FUNCTION tax_band(p_amount IN NUMBER) RETURN VARCHAR2 IS
    BEGIN
        RETURN CASE
                   WHEN p_amount < 12570 THEN 'PERSONAL'
                   WHEN p_amount < 50270 THEN 'BASIC'
                   WHEN p_amount < 125140 THEN 'HIGHER'
                   ELSE 'ADDITIONAL'
               END;
    END tax_band;

    PROCEDURE write_ledger(p_emp_id IN NUMBER, p_amount IN NUMBER) IS
    BEGIN
        INSERT INTO payroll_ledger (emp_id, amount, band, booked_at)
        VALUES (p_emp_id, p_amount, tax_band(p_amount), SYSTIMESTAMP);
    END write_ledger;
END payroll_internal;
/
CREATE OR REPLACE PACKAGE payroll_api AUTHID DEFINER ACCESSIBLE BY (PACKAGE payroll_batch, PROCEDURE run_payroll) AS
    PROCEDURE pay(p_emp_id IN NUMBER, p_amount IN NUMBER);
END;
/
CREATE OR REPLACE PACKAGE BODY payroll_api AS
    PROCEDURE pay(p_emp_id IN NUMBER, p_amount IN NUMBER) IS
    BEGIN
        payroll_internal.write_ledger(p_emp_id, p_amount);
    END pay;
END;
/
