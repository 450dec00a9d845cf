create package if not exists audit_trail as
   procedure record_change (p_table in varchar2, p_key in varchar2, p_action in varchar2);
end;
/
create package body if not exists audit_trail as
   g_session_id number := sys_context('USERENV', 'SID');

   procedure record_change (p_table in varchar2, p_key in varchar2, p_action in varchar2) is
      pragma autonomous_transaction;

      function who return varchar2 is
      begin
         return nvl(sys_context('USERENV', 'CLIENT_IDENTIFIER'), user);
      end;
   begin
      insert into audit_changes (table_name, row_key, action, changed_by, session_id, changed_at)
      values (p_table, p_key, p_action, who, g_session_id, systimestamp);
      commit;
   exception
      when others then
         rollback;
   end record_change;
end;
/
CREATE OR REPLACE PACKAGE BODY audit_trail AS
    PROCEDURE record_change (p_table IN VARCHAR2, p_key IN VARCHAR2, p_action IN VARCHAR2) IS
        PRAGMA AUTONOMOUS_TRANSACTION;
    BEGIN
        INSERT INTO audit_changes (table_name, row_key, action, changed_by, changed_at)
        VALUES (p_table, p_key, p_action, USER, SYSTIMESTAMP);
        COMMIT;
    END record_change;
END audit_trail;
/
