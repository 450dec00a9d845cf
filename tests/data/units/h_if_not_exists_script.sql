CREATE TABLE IF NOT EXISTS app_settings (
    setting_key   VARCHAR2(100) PRIMARY KEY,
    setting_value VARCHAR2(4000)
);

CREATE SEQUENCE IF NOT EXISTS app_event_seq;

create procedure if not exists touch_setting (p_key in varchar2) is
begin
   update app_settings set setting_value = setting_value where setting_key = p_key;
end touch_setting;
/
CREATE FUNCTION IF NOT EXISTS setting_or (p_key IN VARCHAR2, p_default IN VARCHAR2) RETURN VARCHAR2 IS
    l_value VARCHAR2(4000);
BEGIN
    SELECT setting_value INTO l_value FROM app_settings WHERE setting_key = p_key;
    RETURN NVL(l_value, p_default);
EXCEPTION
    WHEN NO_DATA_FOUND THEN
        RETURN p_default;
END;
/
CREATE TYPE IF NOT EXISTS setting_t AS OBJECT (
    setting_key   VARCHAR2(100),
    setting_value VARCHAR2(4000)
);
/
CREATE OR REPLACE PACKAGE hr_admin.settings_api AS
    FUNCTION all_settings RETURN SYS_REFCURSOR;
END settings_api;
/
create editionable package body if not exists hr_admin.settings_api as
   function all_settings return sys_refcursor is
      l_cur sys_refcursor;
   begin
      open l_cur for select setting_key, setting_value from app_settings order by setting_key;
      return l_cur;
   end all_settings;
end settings_api;
/
CREATE TRIGGER IF NOT EXISTS app_settings_bu
    BEFORE UPDATE ON app_settings
    FOR EACH ROW
BEGIN
    IF :NEW.setting_value IS NULL THEN
        :NEW.setting_value := :OLD.setting_value;
    END IF;
END;
/
DROP PACKAGE IF EXISTS old_settings_api;
