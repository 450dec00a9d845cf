-- Payroll API of the HR administration schema: the spec, then its body.
CREATE OR REPLACE PACKAGE hr_admin.payroll_api AS
    -- Raised when a pay period is already closed.
    e_period_closed EXCEPTION;
    PRAGMA EXCEPTION_INIT(e_period_closed, -20101);

    c_max_hours CONSTANT NUMBER := 744;

    PROCEDURE open_period(p_period_id IN NUMBER);
    PROCEDURE close_period(p_period_id IN NUMBER, p_force IN BOOLEAN DEFAULT FALSE);
    FUNCTION gross_pay(p_emp_id IN NUMBER, p_period_id IN NUMBER) RETURN NUMBER;
END payroll_api;
/

CREATE OR REPLACE PACKAGE BODY hr_admin.payroll_api AS

    PROCEDURE open_period(p_period_id IN NUMBER) IS
    BEGIN
        UPDATE hr_admin.pay_periods
           SET status = 'OPEN', opened_at = SYSTIMESTAMP
         WHERE period_id = p_period_id
           AND status = 'NEW';
        IF SQL%ROWCOUNT = 0 THEN
            RAISE_APPLICATION_ERROR(-20100, 'Period ' || p_period_id || ' cannot be opened');
        END IF;
    END open_period;

    PROCEDURE close_period(p_period_id IN NUMBER, p_force IN BOOLEAN DEFAULT FALSE) IS
        l_status hr_admin.pay_periods.status%TYPE;
    BEGIN
        SELECT status
          INTO l_status
          FROM hr_admin.pay_periods
         WHERE period_id = p_period_id
           FOR UPDATE;
        IF l_status = 'CLOSED' AND NOT p_force THEN
            RAISE e_period_closed;
        END IF;
        UPDATE hr_admin.pay_periods
           SET status = 'CLOSED', closed_at = SYSTIMESTAMP
         WHERE period_id = p_period_id;
    END close_period;

    FUNCTION gross_pay(p_emp_id IN NUMBER, p_period_id IN NUMBER) RETURN NUMBER IS
        l_total NUMBER := 0;
    BEGIN
        FOR r IN (SELECT hours, rate
                    FROM hr_admin.timesheets
                   WHERE emp_id = p_emp_id
                     AND period_id = p_period_id)
        LOOP
            l_total := l_total + LEAST(r.hours, c_max_hours) * r.rate;
        END LOOP;
        RETURN l_total;
    END gross_pay;

END payroll_api;
/
