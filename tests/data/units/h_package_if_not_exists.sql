-- Created once; a second run of the script leaves the existing package alone.
CREATE PACKAGE IF NOT EXISTS app_config AS
    FUNCTION get_value(p_key IN VARCHAR2) RETURN VARCHAR2;
    PROCEDURE set_value(p_key IN VARCHAR2, p_value IN VARCHAR2);
END app_config;
/
CREATE PACKAGE BODY IF NOT EXISTS app_config AS
    FUNCTION get_value(p_key IN VARCHAR2) RETURN VARCHAR2 IS
        l_value app_settings.setting_value%TYPE;
    BEGIN
        SELECT setting_value INTO l_value FROM app_settings WHERE setting_key = p_key;
        RETURN l_value;
    EXCEPTION
        WHEN NO_DATA_FOUND THEN
            RETURN NULL;
    END get_value;

    PROCEDURE set_value(p_key IN VARCHAR2, p_value IN VARCHAR2) IS
    BEGIN
        MERGE INTO app_settings s
        USING (SELECT p_key AS k, p_value AS v FROM dual) n
           ON (s.setting_key = n.k)
         WHEN MATCHED THEN UPDATE SET s.setting_value = n.v
         WHEN NOT MATCHED THEN INSERT (setting_key, setting_value) VALUES (n.k, n.v);
    END set_value;
END app_config;
/
