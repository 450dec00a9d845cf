CREATE OR REPLACE PROCEDURE build_calendar (p_year IN PLS_INTEGER, p_full IN BOOLEAN) IS
    l_day DATE;
BEGIN
    -- a quarter, or the whole year
    FOR m IN 1 .. CASE WHEN p_full THEN 12 ELSE 3 END LOOP
        l_day := TO_DATE(p_year || LPAD(m, 2, '0') || '01', 'YYYYMMDD');
        WHILE l_day < ADD_MONTHS(TRUNC(l_day, 'MM'), 1) LOOP
            INSERT INTO calendar_days (cal_day, month_no, is_weekend)
            VALUES (l_day, m, CASE WHEN TO_CHAR(l_day, 'DY', 'NLS_DATE_LANGUAGE=ENGLISH') IN ('SAT', 'SUN') THEN 'Y' ELSE 'N' END);
            l_day := l_day + 1;
        END LOOP;
    END LOOP;
END build_calendar;
/
CREATE OR REPLACE FUNCTION working_days (p_from IN DATE, p_days IN PLS_INTEGER) RETURN DATE IS
    l_day   DATE := p_from;
    l_count PLS_INTEGER := 0;
BEGIN
    FOR i IN 1 .. CASE
                      WHEN p_days > 250 THEN 250
                      WHEN p_days < 0 THEN 0
                      ELSE p_days
                  END
    LOOP
        l_day := l_day + 1;
        WHILE TO_CHAR(l_day, 'D') IN ('1', '7') LOOP
            l_day := l_day + 1;
        END LOOP;
        l_count := l_count + 1;
    END LOOP;
    RETURN l_day;
END;
/
