CREATE OR REPLACE PROCEDURE reset_counters
    ACCESSIBLE BY (PROCEDURE batch_driver, FUNCTION next_batch_id, TRIGGER orders_biu)
IS
BEGIN
    UPDATE batch_counters
       SET counter_value = 0,
           reset_at = SYSDATE
     WHERE counter_name LIKE 'ORD%';
END reset_counters;
/
CREATE OR REPLACE FUNCTION next_batch_id RETURN NUMBER
    AUTHID DEFINER
    ACCESSIBLE BY (PACKAGE app.batch_api, PROCEDURE app.batch_driver)
IS
    l_id NUMBER;
BEGIN
    SELECT batch_seq.NEXTVAL INTO l_id FROM dual;
    RETURN l_id;
END;
/
CREATE OR REPLACE PROCEDURE batch_driver IS
BEGIN
    reset_counters;
    DBMS_OUTPUT.PUT_LINE('batch ' || next_batch_id);
END batch_driver;
/
create or replace trigger orders_biu
   before insert or update on orders
   for each row
begin
   if inserting then
      reset_counters;
   end if;
   :new.changed_at := systimestamp;
end orders_biu;
/
