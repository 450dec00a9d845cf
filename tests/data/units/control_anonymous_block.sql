SET SERVEROUTPUT ON
DECLARE
    CURSOR c_late IS
        SELECT o.order_id, o.customer_id, o.due_date
          FROM orders o
         WHERE o.status = 'OPEN'
           AND o.due_date < TRUNC(SYSDATE);
    TYPE t_ids IS TABLE OF orders.order_id%TYPE;
    l_ids   t_ids := t_ids();
    l_total PLS_INTEGER := 0;
BEGIN
    FOR r IN c_late LOOP
        l_ids.EXTEND;
        l_ids(l_ids.LAST) := r.order_id;
        l_total := l_total + 1;
    END LOOP;
    FORALL i IN 1 .. l_ids.COUNT
        UPDATE orders SET status = 'LATE' WHERE order_id = l_ids(i);
    DBMS_OUTPUT.PUT_LINE(l_total || ' orders marked late');
    COMMIT;
EXCEPTION
    WHEN OTHERS THEN
        ROLLBACK;
        DBMS_OUTPUT.PUT_LINE('failed: ' || SQLERRM);
END;
/
