-- A block without an exception section that writes the column exception.
BEGIN
    UPDATE batch_run
       SET exception = NULL,
           retry_count = 0
     WHERE job_name = 'NIGHTLY_CLEANUP';
    DBMS_OUTPUT.PUT_LINE(SQL%ROWCOUNT || ' runs reset');
END;
/
DECLARE
    l_runs PLS_INTEGER;
BEGIN
    SELECT COUNT(*) INTO l_runs FROM batch_run WHERE job_name = 'NIGHTLY_CLEANUP';
    UPDATE batch_run SET exception = 'cancelled by operator' WHERE job_name = 'NIGHTLY_CLEANUP' AND ended_at IS NULL;
END;
/
