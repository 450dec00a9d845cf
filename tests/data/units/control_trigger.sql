CREATE OR REPLACE TRIGGER employees_audit_trg
    AFTER INSERT OR UPDATE OF salary, job_id OR DELETE ON employees
    FOR EACH ROW
DECLARE
    l_action VARCHAR2(1);
BEGIN
    l_action := CASE
                    WHEN INSERTING THEN 'I'
                    WHEN UPDATING THEN 'U'
                    ELSE 'D'
                END;
    INSERT INTO employees_audit (employee_id, action, old_salary, new_salary, changed_by, changed_at)
    VALUES (NVL(:NEW.employee_id, :OLD.employee_id), l_action, :OLD.salary, :NEW.salary, USER, SYSDATE);
EXCEPTION
    WHEN OTHERS THEN
        DBMS_OUTPUT.PUT_LINE('audit failed: ' || SQLERRM);
        RAISE;
END employees_audit_trg;
/
ALTER TRIGGER employees_audit_trg ENABLE;
