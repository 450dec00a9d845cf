REM Quoted names, as a schema export writes them.
CREATE OR REPLACE EDITIONABLE PACKAGE "HR"."PAYROLL_API" AUTHID DEFINER AS
  PROCEDURE "RECALC_ALL" (p_period_id IN NUMBER);
  FUNCTION "NET_PAY" (p_emp_id IN NUMBER, p_period_id IN NUMBER) RETURN NUMBER;
END "PAYROLL_API";
/
CREATE OR REPLACE EDITIONABLE PACKAGE BODY "HR"."PAYROLL_API" AS
  -- Deductions are kept per employee and period.
  FUNCTION "NET_PAY" (p_emp_id IN NUMBER, p_period_id IN NUMBER) RETURN NUMBER IS
    l_gross      NUMBER;
    l_deductions NUMBER;
  BEGIN
    SELECT NVL(SUM("AMOUNT"), 0)
      INTO l_gross
      FROM "HR"."PAY_LINES"
     WHERE "EMP_ID" = p_emp_id
       AND "PERIOD_ID" = p_period_id
       AND "KIND" = 'GROSS';
    SELECT NVL(SUM("AMOUNT"), 0)
      INTO l_deductions
      FROM "HR"."PAY_LINES"
     WHERE "EMP_ID" = p_emp_id
       AND "PERIOD_ID" = p_period_id
       AND "KIND" = 'DEDUCTION';
    RETURN l_gross - l_deductions;
  END "NET_PAY";

  PROCEDURE "RECALC_ALL" (p_period_id IN NUMBER) IS
  BEGIN
    FOR e IN (SELECT "EMP_ID" FROM "HR"."EMPLOYEES" WHERE "STATUS" = 'A') LOOP
      UPDATE "HR"."PAY_SLIPS"
         SET "NET" = "NET_PAY"(e."EMP_ID", p_period_id)
       WHERE "EMP_ID" = e."EMP_ID"
         AND "PERIOD_ID" = p_period_id;
    END LOOP;
  END;
END payroll_api;
/
GRANT EXECUTE ON "HR"."PAYROLL_API" TO "PAYROLL_APP";
