CREATE OR REPLACE PACKAGE BODY order_rules AS
  FUNCTION shipping_band(p_weight IN NUMBER, p_zone IN VARCHAR2) RETURN VARCHAR2 IS
    l_band VARCHAR2(10);
  BEGIN
    CASE
      WHEN p_weight <= 0 THEN
        RAISE_APPLICATION_ERROR(-20001, 'weight must be positive');
      WHEN p_weight < 5 THEN
        l_band := 'LIGHT';
        IF p_zone = 'EU' THEN
          l_band := l_band || '_EU';
        END IF;
      ELSE
        l_band := 'HEAVY';
    END CASE;
    RETURN l_band;
  END shipping_band;

  PROCEDURE apply_discounts(p_order_id IN NUMBER) IS
    l_total NUMBER;
  BEGIN
    SELECT SUM(CASE WHEN qty > 10 THEN qty * price * 0.9 ELSE qty * price END)
      INTO l_total
      FROM order_lines
     WHERE order_id = p_order_id;
    <<tiers>>
    CASE TRUNC(l_total / 100)
      WHEN 0 THEN NULL;
      WHEN 1 THEN
        UPDATE orders SET discount = 5 WHERE order_id = p_order_id;
      ELSE
        FOR r IN (SELECT line_id FROM order_lines WHERE order_id = p_order_id) LOOP
          CASE MOD(r.line_id, 2)
            WHEN 0 THEN UPDATE order_lines SET flag = 'E' WHERE line_id = r.line_id;
            ELSE UPDATE order_lines SET flag = 'O' WHERE line_id = r.line_id;
          END CASE;
        END LOOP;
    END CASE tiers;
    $IF $$audit_on $THEN
    CASE WHEN l_total > 1000 THEN audit_pkg.note(p_order_id); ELSE NULL; END /* audited */ CASE;
    $END
  EXCEPTION
    WHEN NO_DATA_FOUND THEN
      CASE WHEN p_order_id IS NULL THEN RAISE; ELSE NULL; END CASE;
  END apply_discounts;
END order_rules;
/
