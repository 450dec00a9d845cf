-- 受注の締め処理：月末に未出荷の受注を翌月へ繰り越す。
CREATE OR REPLACE PROCEDURE carry_over_orders (p_month IN DATE) IS
    l_next DATE := ADD_MONTHS(TRUNC(p_month, 'MM'), 1);
    l_rows PLS_INTEGER;
BEGIN
    /* 出荷済みの受注は対象外 */
    UPDATE orders
       SET order_month = l_next,
           note = note || '（繰越）'
     WHERE order_month = TRUNC(p_month, 'MM')
       AND shipped_flag = 'N';
    l_rows := SQL%ROWCOUNT;
    DBMS_OUTPUT.PUT_LINE('繰越件数: ' || l_rows);
EXCEPTION
    WHEN OTHERS THEN
        -- 失敗したら巻き戻す
        ROLLBACK;
        RAISE_APPLICATION_ERROR(-20500, '締め処理に失敗しました: ' || SQLERRM);
END carry_over_orders;
/
