CREATE OR REPLACE PACKAGE inv.stock_api
AS
   PROCEDURE set_warehouse (p_id IN NUMBER);
   PROCEDURE receive (p_item_id IN NUMBER, p_qty IN NUMBER);
   FUNCTION on_hand (p_item_id IN NUMBER) RETURN NUMBER;
END;
/
CREATE OR REPLACE PACKAGE BODY inv.stock_api
AS
   g_warehouse_id NUMBER;

   PROCEDURE set_warehouse (p_id IN NUMBER)
   IS
   BEGIN
      g_warehouse_id := p_id;
   END set_warehouse;

   PROCEDURE receive (p_item_id IN NUMBER, p_qty IN NUMBER)
   IS
      -- a local helper, nested in the procedure
      PROCEDURE bump (p_delta IN NUMBER)
      IS
      BEGIN
         UPDATE inv.stock
            SET on_hand = on_hand + p_delta
          WHERE item_id = p_item_id
            AND warehouse_id = g_warehouse_id;
         IF SQL%ROWCOUNT = 0
         THEN
            INSERT INTO inv.stock (item_id, warehouse_id, on_hand)
                 VALUES (p_item_id, g_warehouse_id, p_delta);
         END IF;
      END bump;

      FUNCTION audited RETURN BOOLEAN
      IS
      BEGIN
         RETURN g_warehouse_id IS NOT NULL;
      END;
   BEGIN
      IF NOT audited
      THEN
         RAISE_APPLICATION_ERROR (-20010, 'no warehouse set');
      END IF;
      bump (p_qty);
   END receive;

   FUNCTION on_hand (p_item_id IN NUMBER) RETURN NUMBER
   IS
      l_qty NUMBER;
   BEGIN
      SELECT NVL (SUM (on_hand), 0)
        INTO l_qty
        FROM inv.stock
       WHERE item_id = p_item_id;
      RETURN l_qty;
   END on_hand;
END stock_api;
/
CREATE OR REPLACE PROCEDURE inv.receive_batch (p_batch_id IN NUMBER)
IS
BEGIN
   FOR r IN (SELECT item_id, qty FROM inv.batch_lines WHERE batch_id = p_batch_id)
   LOOP
      inv.stock_api.receive (r.item_id, r.qty);
   END LOOP;
END receive_batch;
/
