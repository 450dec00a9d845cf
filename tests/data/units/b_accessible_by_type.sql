CREATE OR REPLACE TYPE money_t
    ACCESSIBLE BY (PACKAGE billing_api, TYPE invoice_t)
AS OBJECT (
    amount   NUMBER(18, 2),
    currency VARCHAR2(3),
    MEMBER FUNCTION plus(p_other IN money_t) RETURN money_t,
    MEMBER FUNCTION to_text RETURN VARCHAR2
);
/
CREATE OR REPLACE TYPE BODY money_t AS
    MEMBER FUNCTION plus(p_other IN money_t) RETURN money_t IS
    BEGIN
        IF p_other.currency <> currency THEN
            RAISE_APPLICATION_ERROR(-20200, 'currency mismatch: ' || currency || '/' || p_other.currency);
        END IF;
        RETURN money_t(amount + p_other.amount, currency);
    END plus;

    MEMBER FUNCTION to_text RETURN VARCHAR2 IS
    BEGIN
        RETURN TO_CHAR(amount, 'FM999G999G990D00') || ' ' || currency;
    END;
END;
/
CREATE OR REPLACE PACKAGE billing_api
    AUTHID CURRENT_USER
    ACCESSIBLE BY (PACKAGE billing_ui, FUNCTION invoice_total, PROCEDURE close_month)
AS
    FUNCTION invoice_total(p_invoice_id IN NUMBER) RETURN money_t;
END billing_api;
/
