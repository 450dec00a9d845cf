CREATE OR REPLACE PROCEDURE finish_run (p_run_id IN NUMBER, p_error IN VARCHAR2 DEFAULT NULL) IS
    e_locked EXCEPTION;
    PRAGMA EXCEPTION_INIT(e_locked, -54);
BEGIN
    UPDATE batch_run
       SET exception = p_error,
           ended_at = SYSTIMESTAMP
     WHERE run_id = p_run_id;
    IF SQL%ROWCOUNT = 0 THEN
        INSERT INTO batch_run (job_name, exception) VALUES ('UNKNOWN', p_error);
    END IF;
EXCEPTION
    WHEN e_locked THEN
        UPDATE batch_run SET retry_count = retry_count + 1, exception = 'locked' WHERE run_id = p_run_id;
    WHEN OTHERS THEN
        ROLLBACK;
        RAISE;
END finish_run;
/
create or replace function last_failure (p_job in varchar2) return varchar2 is
   l_text batch_run.exception%type;
begin
   select exception
     into l_text
     from batch_run
    where job_name = p_job
      and exception is not null
    order by started_at desc
    fetch first 1 row only;
   return l_text;
exception
   when no_data_found then
      return null;
end last_failure;
/
create or replace procedure clear_failures (p_job in varchar2) is
begin
   update batch_run set exception = null where job_name = p_job and exception is not null;
end clear_failures;
/
