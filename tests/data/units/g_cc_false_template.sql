CREATE OR REPLACE PROCEDURE mark_nullable_columns (p_table IN VARCHAR2) IS
    l_count PLS_INTEGER := 0;
BEGIN
    $IF FALSE $THEN
        <%= header %>
        if nullable then mark it
    $END
    FOR c IN (SELECT column_name, nullable
                FROM user_tab_columns
               WHERE table_name = UPPER(p_table))
    LOOP
        IF c.nullable = 'Y' THEN
            l_count := l_count + 1;
            INSERT INTO nullable_columns (table_name, column_name) VALUES (UPPER(p_table), c.column_name);
        END IF;
    END LOOP;
    DBMS_OUTPUT.PUT_LINE(l_count || ' nullable columns in ' || p_table);
END mark_nullable_columns;
/
CREATE OR REPLACE PROCEDURE report_columns IS
BEGIN
    FOR t IN (SELECT table_name FROM user_tables ORDER BY table_name) LOOP
        mark_nullable_columns(t.table_name);
    END LOOP;
END report_columns;
/
