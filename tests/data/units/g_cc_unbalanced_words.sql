CREATE OR REPLACE PACKAGE job_runner AS
    PROCEDURE run_one (p_job IN VARCHAR2);
END job_runner;
/
CREATE OR REPLACE PACKAGE BODY job_runner AS
    $IF FALSE $THEN
    -- draft of a loop over all jobs, kept for later
    PROCEDURE run_all IS
    BEGIN
        LOOP
            CASE
    $END

    PROCEDURE run_one (p_job IN VARCHAR2) IS
        l_started TIMESTAMP := SYSTIMESTAMP;
    BEGIN
        EXECUTE IMMEDIATE 'BEGIN ' || DBMS_ASSERT.SQL_OBJECT_NAME(p_job) || '; END;';
        INSERT INTO job_history (job_name, started_at, ended_at)
        VALUES (p_job, l_started, SYSTIMESTAMP);
    EXCEPTION
        WHEN OTHERS THEN
            INSERT INTO job_history (job_name, started_at, ended_at, error_text)
            VALUES (p_job, l_started, SYSTIMESTAMP, SQLERRM);
            RAISE;
    END run_one;

    $IF FALSE $THEN
            END CASE; END LOOP; END run_all; BEGIN BEGIN IF THEN
    $END
END job_runner;
/
CREATE OR REPLACE PROCEDURE run_jobs IS
BEGIN
    $IF $$use_template $THEN
    <% for job in jobs %> job_runner.run_one('<%= job %>'); <% end %>
    $ELSE
    job_runner.run_one('NIGHTLY_CLEANUP');
    job_runner.run_one('REFRESH_MVIEWS');
    $END
END run_jobs;
/
