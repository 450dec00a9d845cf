-- Price list in euro (€) – Windows code page 1252.
-- “Quoted” words, ‘single’ quotes, an ellipsis… and a dagger † in comments.
REM Rows for the “Über” catalogue
SET DEFINE OFF
PROMPT Loading prices in €…

/* “Multi-line” comment:
   Œuvre, Šárka, Žofie, ‰ and ™ */
INSERT INTO price_list (item, label, price, note)
VALUES (1, 'Café “Crème”', 3.5, '€ 3,50 – incl. VAT');

INSERT INTO price_list (item, label, price, note)
VALUES (2, 'Thé ‘Earl Grey’', 2.8, q'[“Fine” – ‘best’…]');

UPDATE price_list
   SET note = note || ' • ' || '“Special”'
 WHERE label LIKE '%“%”%'
   AND price > 2;

SELECT item,
       label AS "Label “Name”",
       price || ' €' AS price_text
  FROM price_list
 WHERE note <> '—'
 ORDER BY item;

BEGIN
  -- “Inline” comment… then code
  DBMS_OUTPUT.PUT_LINE('Total: ' || TO_CHAR(5.5) || ' €');
END;
/
