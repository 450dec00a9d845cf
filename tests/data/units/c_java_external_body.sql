-- Java stored procedures published to SQL and PL/SQL.
CREATE OR REPLACE FUNCTION get_host_name RETURN VARCHAR2
IS LANGUAGE JAVA NAME 'com.example.util.Host.name() return java.lang.String';
/
CREATE OR REPLACE PROCEDURE send_mail (
    p_to      IN VARCHAR2,
    p_subject IN VARCHAR2,
    p_body    IN CLOB
) AUTHID CURRENT_USER
AS LANGUAGE JAVA
NAME 'com.example.mail.Mailer.send(java.lang.String, java.lang.String, java.sql.Clob)';
/
create or replace function file_exists (p_path varchar2) return number
as language java name 'com.example.io.Files.exists(java.lang.String) return int';
/
CREATE OR REPLACE PROCEDURE notify_admin (p_subject IN VARCHAR2) IS
BEGIN
    IF file_exists('/var/run/maintenance.flag') = 0 THEN
        send_mail('dba@example.com', p_subject || ' on ' || get_host_name, EMPTY_CLOB());
    END IF;
END notify_admin;
/
