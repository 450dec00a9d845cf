CREATE OR REPLACE PROCEDURE close_laps(p_race_id IN NUMBER) IS
  CURSOR c_laps IS SELECT loop, lap_time FROM race_laps WHERE race_id = p_race_id ORDER BY loop;
  l_last race_laps.loop%TYPE;
  l_cur SYS_REFCURSOR;
BEGIN
  SELECT MAX(loop) INTO l_last FROM race_laps WHERE race_id = p_race_id;
  FOR r IN c_laps LOOP
    IF r.loop = l_last THEN
      UPDATE race_laps SET final = 'Y' WHERE race_id = p_race_id AND loop = r.loop;
    END IF;
  END LOOP;
  OPEN l_cur FOR SELECT loop FROM race_laps WHERE race_id = p_race_id;
  CLOSE l_cur;
  WHILE l_last > 0 LOOP
    l_last := l_last - 1;
  END LOOP;
END close_laps;
/
GRANT EXECUTE ON close_laps TO race_office;
GRANT CREATE SESSION, CREATE PROCEDURE TO race_office;
REVOKE EXECUTE ON close_laps FROM race_guest;
