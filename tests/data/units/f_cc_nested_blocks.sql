create or replace procedure refresh_stats (p_owner in varchar2) is
   $if $$stats_degree is not null $then
   c_degree constant pls_integer := $$stats_degree;
   $else
   c_degree constant pls_integer := 4;
   $end
   $if dbms_db_version.version < 12 $then
   $error 'refresh_stats needs release 12 or later' $end
   $end
   l_started timestamp := systimestamp;
begin
   <<tables>>
   for t in (select table_name from all_tables where owner = p_owner) loop
      begin
         dbms_stats.gather_table_stats(ownname => p_owner, tabname => t.table_name, degree => c_degree);
      exception
         when others then
            declare
               l_msg varchar2(4000) := sqlerrm;
            begin
               insert into stats_failures (owner, table_name, message)
               values (p_owner, t.table_name, l_msg);
            end;
      end;
   end loop tables;
   dbms_output.put_line('done in ' || to_char(systimestamp - l_started));
end refresh_stats;
/
CREATE OR REPLACE PACKAGE feature_flags AS
    $IF $$edition_level = 2 $THEN
    c_partitioning CONSTANT BOOLEAN := TRUE;
    c_parallel_max CONSTANT PLS_INTEGER := 16;
    $ELSIF $$edition_level = 1 $THEN
    c_partitioning CONSTANT BOOLEAN := FALSE;
    c_parallel_max CONSTANT PLS_INTEGER := 1;
    $ELSE
    c_partitioning CONSTANT BOOLEAN := FALSE;
    c_parallel_max CONSTANT PLS_INTEGER := 2;
    $END
    FUNCTION describe RETURN VARCHAR2;
END feature_flags;
/
CREATE OR REPLACE PACKAGE BODY feature_flags AS
    FUNCTION describe RETURN VARCHAR2 IS
        $IF DBMS_DB_VERSION.VERSION >= 12 $THEN
        c_prefix CONSTANT VARCHAR2(10) := 'db12+ ';
        $ELSE
        c_prefix CONSTANT VARCHAR2(10) := 'db11 ';
        $END
    BEGIN
        DECLARE
            l_text VARCHAR2(200);
        BEGIN
            l_text := c_prefix || 'parallel ' || c_parallel_max;
            IF c_partitioning THEN
                l_text := l_text || ', partitioned';
            END IF;
            RETURN l_text;
        END;
    END describe;
END feature_flags;
/
