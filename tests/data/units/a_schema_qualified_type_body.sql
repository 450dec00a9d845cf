-- A point of the geography schema, with a body.
CREATE OR REPLACE TYPE geo.point_t AS OBJECT (
    x NUMBER,
    y NUMBER,
    MEMBER FUNCTION distance_to(p_other IN geo.point_t) RETURN NUMBER,
    MEMBER PROCEDURE move_by(SELF IN OUT NOCOPY geo.point_t, p_dx IN NUMBER, p_dy IN NUMBER),
    STATIC FUNCTION origin RETURN geo.point_t
) NOT FINAL;
/
CREATE OR REPLACE TYPE BODY geo.point_t AS
    MEMBER FUNCTION distance_to(p_other IN geo.point_t) RETURN NUMBER IS
    BEGIN
        RETURN SQRT(POWER(p_other.x - x, 2) + POWER(p_other.y - y, 2));
    END distance_to;

    MEMBER PROCEDURE move_by(SELF IN OUT NOCOPY geo.point_t, p_dx IN NUMBER, p_dy IN NUMBER) IS
    BEGIN
        x := x + p_dx;
        y := y + p_dy;
    END move_by;

    STATIC FUNCTION origin RETURN geo.point_t IS
    BEGIN
        RETURN geo.point_t(0, 0);
    END origin;
END;
/
CREATE OR REPLACE TYPE "GEO"."SEGMENT_T" AS OBJECT (
    p_from geo.point_t,
    p_to   geo.point_t,
    MEMBER FUNCTION length_of RETURN NUMBER
);
/
CREATE OR REPLACE TYPE BODY "GEO"."SEGMENT_T" IS
    MEMBER FUNCTION length_of RETURN NUMBER IS
    BEGIN
        RETURN p_from.distance_to(p_to);
    END length_of;
END;
/
