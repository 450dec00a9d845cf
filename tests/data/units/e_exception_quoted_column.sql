-- The same column written quoted, as a tool that quotes every name writes it.
CREATE OR REPLACE PACKAGE run_log AS
    PROCEDURE fail (p_run_id IN NUMBER, p_text IN VARCHAR2);
    FUNCTION failures (p_job IN VARCHAR2) RETURN PLS_INTEGER;
END run_log;
/
CREATE OR REPLACE PACKAGE BODY run_log AS
    PROCEDURE fail (p_run_id IN NUMBER, p_text IN VARCHAR2) IS
    BEGIN
        UPDATE "BATCH_RUN"
           SET "EXCEPTION" = SUBSTR(p_text, 1, 4000)
         WHERE "RUN_ID" = p_run_id;
    EXCEPTION
        WHEN VALUE_ERROR THEN
            NULL;
    END fail;

    FUNCTION failures (p_job IN VARCHAR2) RETURN PLS_INTEGER IS
        l_count PLS_INTEGER;
    BEGIN
        SELECT COUNT("EXCEPTION") INTO l_count FROM "BATCH_RUN" WHERE "JOB_NAME" = p_job;
        RETURN l_count;
    EXCEPTION
        WHEN OTHERS THEN
            RETURN -1;
    END failures;
END run_log;
/
