-- An object type whose methods are Java.
CREATE OR REPLACE TYPE address_t AS OBJECT (
    street   VARCHAR2(100),
    city     VARCHAR2(50),
    postcode VARCHAR2(10),
    MEMBER FUNCTION formatted RETURN VARCHAR2
        AS LANGUAGE JAVA NAME 'com.example.geo.Address.formatted() return java.lang.String',
    MEMBER PROCEDURE normalise (SELF IN OUT NOCOPY address_t)
        AS LANGUAGE JAVA NAME 'com.example.geo.Address.normalise(com.example.geo.Address[])'
);
/
CREATE OR REPLACE FUNCTION label_for (p_customer_id IN NUMBER) RETURN VARCHAR2 IS
    l_addr address_t;
BEGIN
    SELECT address_t(street, city, postcode)
      INTO l_addr
      FROM customer_addresses
     WHERE customer_id = p_customer_id;
    l_addr.normalise;
    RETURN l_addr.formatted;
END label_for;
/
