DECLARE
    n      PLS_INTEGER := 0;
    l_mode VARCHAR2(1) := 'X';
BEGIN
    WHILE n < CASE l_mode WHEN 'X' THEN 10 WHEN 'Y' THEN 20 ELSE 5 END LOOP
        n := n + 1;
        IF MOD(n, 3) = 0 THEN
            DBMS_OUTPUT.PUT_LINE('step ' || n);
        END IF;
    END LOOP;
END;
/
declare
   l_left  pls_integer := 100;
   l_batch pls_integer := 0;
begin
   <<drain>>
   while l_left > case when l_batch < 5 then 0 else 50 end loop
      l_batch := l_batch + 1;
      l_left := l_left - case mod(l_batch, 2) when 0 then 7 else 11 end;
      exit drain when l_left < 0;
   end loop drain;
   dbms_output.put_line(l_batch || ' batches');
end;
/
