CREATE OR REPLACE PACKAGE name_util AS
    FUNCTION normalise(p_name IN VARCHAR2) RETURN VARCHAR2;
    FUNCTION cache_hits RETURN PLS_INTEGER;
END name_util;
/
CREATE OR REPLACE PACKAGE BODY name_util AS
    $IF DBMS_DB_VERSION.VER_LE_12_1 $THEN
    SUBTYPE t_name IS VARCHAR2(30);
    $ELSE
    SUBTYPE t_name IS VARCHAR2(128);
    $END

    TYPE t_cache IS TABLE OF t_name INDEX BY VARCHAR2(4000);
    g_cache      t_cache;
    g_cache_hits PLS_INTEGER := 0;

    FUNCTION normalise(p_name IN VARCHAR2) RETURN VARCHAR2 IS
        l_name t_name;
    BEGIN
        IF g_cache.EXISTS(p_name) THEN
            g_cache_hits := g_cache_hits + 1;
            RETURN g_cache(p_name);
        END IF;
        BEGIN
            l_name := DBMS_ASSERT.SIMPLE_SQL_NAME(UPPER(TRIM(p_name)));
        EXCEPTION
            WHEN OTHERS THEN
                BEGIN
                    l_name := DBMS_ASSERT.ENQUOTE_NAME(p_name, FALSE);
                EXCEPTION
                    WHEN VALUE_ERROR THEN
                        l_name := NULL;
                END;
        END;
        g_cache(p_name) := l_name;
        RETURN l_name;
    END normalise;

    FUNCTION cache_hits RETURN PLS_INTEGER IS
    BEGIN
        RETURN g_cache_hits;
    END cache_hits;
END name_util;
/
