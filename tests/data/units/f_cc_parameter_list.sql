CREATE OR REPLACE PACKAGE app_log AS
    PROCEDURE put_entry (
        p_level   IN PLS_INTEGER,
        p_message IN VARCHAR2
        $IF $$trace_enabled $THEN
        , p_call_stack IN VARCHAR2 DEFAULT DBMS_UTILITY.FORMAT_CALL_STACK
        $END
    );
    PROCEDURE purge (p_days IN PLS_INTEGER DEFAULT 30);
END app_log;
/
CREATE OR REPLACE PACKAGE BODY app_log AS
    PROCEDURE put_entry (
        p_level   IN PLS_INTEGER,
        p_message IN VARCHAR2
        $IF $$trace_enabled $THEN
        , p_call_stack IN VARCHAR2 DEFAULT DBMS_UTILITY.FORMAT_CALL_STACK
        $END
    ) IS
        PRAGMA AUTONOMOUS_TRANSACTION;
    BEGIN
        INSERT INTO app_log_entries (logged_at, log_level, message
                                     $IF $$trace_enabled $THEN , call_stack $END)
        VALUES (SYSTIMESTAMP, p_level, SUBSTR(p_message, 1, 4000)
                $IF $$trace_enabled $THEN , SUBSTR(p_call_stack, 1, 4000) $END);
        COMMIT;
    END put_entry;

    PROCEDURE purge (p_days IN PLS_INTEGER DEFAULT 30) IS
        PRAGMA AUTONOMOUS_TRANSACTION;
    BEGIN
        DELETE FROM app_log_entries WHERE logged_at < SYSTIMESTAMP - NUMTODSINTERVAL(p_days, 'DAY');
        COMMIT;
    END purge;
END app_log;
/
create or replace function fmt_amount (p_amount in number
                                       $if dbms_db_version.ver_le_12_2 $then
                                       , p_mask in varchar2 default '999G999G990D00'
                                       $else
                                       , p_mask in varchar2 default 'FM999G999G990D00'
                                       $end)
   return varchar2
is
begin
   return to_char(p_amount, p_mask);
end fmt_amount;
/
