-- The older form of a C call: AS EXTERNAL.
CREATE OR REPLACE LIBRARY sysinfo_lib AS '/u01/app/oracle/ext/libsysinfo.so';
/
CREATE OR REPLACE FUNCTION host_cpu_count RETURN PLS_INTEGER
AS EXTERNAL
   LIBRARY sysinfo_lib
   NAME "cpu_count"
   LANGUAGE C
   PARAMETERS (RETURN INT);
/
CREATE OR REPLACE PROCEDURE host_load (p_avg1 OUT NUMBER, p_avg5 OUT NUMBER)
IS EXTERNAL
   LIBRARY sysinfo_lib
   NAME "load_average"
   LANGUAGE C
   CALLING STANDARD C
   WITH CONTEXT
   PARAMETERS (CONTEXT, p_avg1 DOUBLE, p_avg1 INDICATOR SHORT, p_avg5 DOUBLE, p_avg5 INDICATOR SHORT);
/
DECLARE
    l_avg1 NUMBER;
    l_avg5 NUMBER;
BEGIN
    host_load(l_avg1, l_avg5);
    IF l_avg5 > host_cpu_count THEN
        DBMS_OUTPUT.PUT_LINE('host is overloaded: ' || l_avg5);
    END IF;
END;
/
