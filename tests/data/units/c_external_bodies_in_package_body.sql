CREATE OR REPLACE PACKAGE file_util AS
    FUNCTION host_name RETURN VARCHAR2;
    FUNCTION file_size(p_path IN VARCHAR2) RETURN NUMBER;
    FUNCTION checksum(p_data IN RAW) RETURN PLS_INTEGER;
    PROCEDURE log_size(p_path IN VARCHAR2);
END file_util;
/
CREATE OR REPLACE PACKAGE BODY file_util AS
    FUNCTION host_name RETURN VARCHAR2
    IS LANGUAGE JAVA NAME 'com.example.util.Host.name() return java.lang.String';

    PROCEDURE log_size(p_path IN VARCHAR2) IS
        l_bytes NUMBER;
    BEGIN
        l_bytes := file_size(p_path);
        INSERT INTO file_log (host, path, bytes, logged_at)
        VALUES (host_name, p_path, l_bytes, SYSDATE);
    END log_size;

    FUNCTION file_size(p_path IN VARCHAR2) RETURN NUMBER
    AS LANGUAGE JAVA NAME 'com.example.io.Files.size(java.lang.String) return long';

    -- the C routine of crc_lib
    FUNCTION checksum(p_data IN RAW) RETURN PLS_INTEGER
    AS LANGUAGE C LIBRARY crc_lib NAME "crc32_raw"
       PARAMETERS (p_data RAW, p_data LENGTH INT, RETURN INT);
END file_util;
/
create or replace package mail_util as
   procedure send_text (p_to in varchar2, p_subject in varchar2, p_text in varchar2);
end mail_util;
/
create or replace package body mail_util as
   procedure send (p_to in varchar2, p_subject in varchar2, p_body in clob)
   is language java
      name 'com.example.mail.Mailer.send(java.lang.String, java.lang.String, java.sql.Clob)';

   procedure send_text (p_to in varchar2, p_subject in varchar2, p_text in varchar2) is
      l_body clob;
   begin
      dbms_lob.createtemporary(l_body, true);
      dbms_lob.writeappend(l_body, length(p_text), p_text);
      send(p_to, p_subject, l_body);
      dbms_lob.freetemporary(l_body);
   end send_text;
end mail_util;
/
