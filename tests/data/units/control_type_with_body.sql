create or replace type interval_t as object (
   lo number,
   hi number,
   constructor function interval_t (p_lo number, p_hi number) return self as result,
   member function width return number,
   member function overlaps_with (p_other interval_t) return boolean,
   map member function sort_key return number
);
/
create or replace type body interval_t as
   constructor function interval_t (p_lo number, p_hi number) return self as result is
   begin
      lo := least(p_lo, p_hi);
      hi := greatest(p_lo, p_hi);
      return;
   end;

   member function width return number is
   begin
      return hi - lo;
   end;

   member function overlaps_with (p_other interval_t) return boolean is
   begin
      return lo <= p_other.hi and p_other.lo <= hi;
   end;

   map member function sort_key return number is
   begin
      return lo;
   end;
end;
/
