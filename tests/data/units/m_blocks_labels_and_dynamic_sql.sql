DECLARE
  TYPE r_emp IS RECORD (id NUMBER, name VARCHAR2(30));
  SUBTYPE small_int IS PLS_INTEGER RANGE 0 .. 100;
  l_rc SYS_REFCURSOR;
  l_e r_emp;
  e_busy EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_busy, -54);
BEGIN
  OPEN l_rc FOR 'SELECT id, name FROM emp WHERE dept = :d' USING 10;
  LOOP
    FETCH l_rc INTO l_e;
    EXIT WHEN l_rc%NOTFOUND;
    CONTINUE WHEN l_e.id < 0;
    <<inner>>
    WHILE l_e.id > 0 LOOP
      l_e.id := l_e.id - 1;
      GOTO done;
    END LOOP inner;
    <<done>>
    NULL;
  END LOOP;
  CLOSE l_rc;
  EXECUTE IMMEDIATE 'UPDATE t SET a = :1' USING 5 RETURNING INTO l_e.id;
  UPDATE emp SET sal = sal * 1.1 WHERE id = 3 RETURNING sal INTO l_e.id;
  MERGE INTO t d USING (SELECT id, v FROM s) x ON (d.id = x.id)
    WHEN MATCHED THEN UPDATE SET d.v = x.v
    WHEN NOT MATCHED THEN INSERT (id, v) VALUES (x.id, x.v);
EXCEPTION
  WHEN e_busy OR NO_DATA_FOUND THEN
    NULL;
  WHEN OTHERS THEN
    RAISE;
END;
/
CREATE OR REPLACE PACKAGE pkg AUTHID DEFINER AS
  $IF DBMS_DB_VERSION.VER_LE_11 $THEN
  c_ver CONSTANT VARCHAR2(10) := '11';
  $ELSE
  c_ver CONSTANT VARCHAR2(10) := '12+';
  $END
  TYPE t_tab IS TABLE OF VARCHAR2(100);
  FUNCTION get RETURN t_tab;
  PROCEDURE put(p IN OUT NOCOPY t_tab);
END pkg;
/
CREATE OR REPLACE PACKAGE BODY pkg AS
  FUNCTION get RETURN t_tab IS
    l t_tab := t_tab();
  BEGIN
    SELECT name BULK COLLECT INTO l FROM emp FETCH FIRST 5 ROWS ONLY;
    RETURN l;
  END get;
  PROCEDURE put(p IN OUT NOCOPY t_tab) IS
  BEGIN
    FORALL i IN INDICES OF p SAVE EXCEPTIONS
      INSERT INTO log_t VALUES (p(i));
  EXCEPTION
    WHEN OTHERS THEN
      FOR j IN 1 .. SQL%BULK_EXCEPTIONS.COUNT LOOP
        DBMS_OUTPUT.PUT_LINE(SQL%BULK_EXCEPTIONS(j).ERROR_INDEX);
      END LOOP;
  END put;
BEGIN
  NULL;
END pkg;
/
CREATE OR REPLACE PACKAGE BODY util AS
  FUNCTION f(p NUMBER) RETURN NUMBER IS
    FUNCTION inner_f(x NUMBER) RETURN NUMBER IS BEGIN RETURN x+1; END inner_f;
    l_tab DBMS_SQL.VARCHAR2_TABLE;
  BEGIN
    <<outer>>
    FOR i IN REVERSE 1..10 LOOP
      FOR j IN 1..i LOOP
        EXIT outer WHEN j > 5;
        CONTINUE outer WHEN MOD(j,2)=0;
        l_tab(j) := TO_CHAR(j)||'x';
      END LOOP;
    END LOOP outer;
    FORALL k IN VALUES OF idx_tab INSERT INTO t VALUES (l_tab(k));
    IF l_tab.EXISTS(1) AND NOT l_tab.EXISTS(2) THEN
      IF p>0 THEN
        IF p>1 THEN
          IF p>2 THEN
            CASE p
              WHEN 3 THEN RETURN inner_f(p);
              WHEN 4 THEN NULL; RETURN 4;
              ELSE RETURN -p;
            END CASE;
          ELSIF p<-1 THEN RETURN 0;
          END IF;
        END IF;
      END IF;
    END IF;
    RETURN p**2/3-1.5e+2+.5;
  EXCEPTION WHEN OTHERS THEN NULL;
  END f;
END util;
/
CREATE OR REPLACE TRIGGER trg BEFORE UPDATE OF sal ON emp REFERENCING OLD AS o NEW AS n FOR EACH ROW
DECLARE
  d NUMBER;
BEGIN
  d := :n.sal - :o.sal;
  IF d<0 THEN RAISE_APPLICATION_ERROR(-20000,'no cuts'); END IF;
END;
/
<<blk>>
DECLARE
  x XMLTYPE;
BEGIN
  SELECT XMLELEMENT("e", XMLATTRIBUTES(e.id AS "id"), e.name) INTO x FROM emp e WHERE ROWNUM=1;
  FOR r IN (SELECT * FROM XMLTABLE('/a/b' PASSING x COLUMNS n VARCHAR2(10) PATH '@n')) LOOP NULL; END LOOP;
  DBMS_OUTPUT.PUT_LINE(q'!it's!'||q'<a>'||q'(b)'||'--not a comment'||'/* nor this */');
END blk;
/
