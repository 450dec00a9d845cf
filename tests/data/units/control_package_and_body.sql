-- Department API: a spec and its body, as the controls of the corpus.
CREATE OR REPLACE PACKAGE dept_api AS
    TYPE t_dept_tab IS TABLE OF departments%ROWTYPE;

    PROCEDURE rename_dept(p_dept_id IN departments.department_id%TYPE, p_name IN VARCHAR2);
    FUNCTION headcount(p_dept_id IN NUMBER) RETURN PLS_INTEGER;
    FUNCTION all_depts RETURN t_dept_tab PIPELINED;
END dept_api;
/
CREATE OR REPLACE PACKAGE BODY dept_api AS
    PROCEDURE rename_dept(p_dept_id IN departments.department_id%TYPE, p_name IN VARCHAR2) IS
    BEGIN
        UPDATE departments SET department_name = p_name WHERE department_id = p_dept_id;
        IF SQL%NOTFOUND THEN
            RAISE_APPLICATION_ERROR(-20001, 'No department ' || p_dept_id);
        END IF;
    END rename_dept;

    FUNCTION headcount(p_dept_id IN NUMBER) RETURN PLS_INTEGER IS
        l_count PLS_INTEGER;
    BEGIN
        SELECT COUNT(*) INTO l_count FROM employees WHERE department_id = p_dept_id;
        RETURN l_count;
    END headcount;

    FUNCTION all_depts RETURN t_dept_tab PIPELINED IS
    BEGIN
        FOR r IN (SELECT * FROM departments ORDER BY department_id) LOOP
            PIPE ROW (r);
        END LOOP;
        RETURN;
    END all_depts;
END dept_api;
/
