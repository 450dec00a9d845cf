-- Nightly batch runs: the column exception holds the error that ended a run.
CREATE TABLE batch_run (
    run_id      NUMBER GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    job_name    VARCHAR2(30) NOT NULL,
    started_at  TIMESTAMP DEFAULT SYSTIMESTAMP NOT NULL,
    ended_at    TIMESTAMP,
    exception   VARCHAR2(4000),
    retry_count NUMBER(3) DEFAULT 0
);

COMMENT ON COLUMN batch_run.exception IS 'Error text of a failed run; null when the run succeeded';

CREATE INDEX batch_run_failed_ix ON batch_run (job_name, CASE WHEN exception IS NOT NULL THEN 1 END);

UPDATE batch_run
   SET exception = 'ORA-01555: snapshot too old',
       ended_at = SYSTIMESTAMP
 WHERE run_id = 42;

SELECT job_name, COUNT(exception) AS failures, MAX(exception) KEEP (DENSE_RANK LAST ORDER BY started_at) AS last_exception
  FROM batch_run
 WHERE exception IS NOT NULL
 GROUP BY job_name;

MERGE INTO batch_run b
USING (SELECT 42 AS run_id, 'ORA-00060: deadlock detected' AS exception FROM dual) s
   ON (b.run_id = s.run_id)
 WHEN MATCHED THEN UPDATE SET b.exception = s.exception;
