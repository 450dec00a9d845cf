create or replace package grid_fill as
   procedure fill (p_rows in pls_integer, p_cols in pls_integer, p_sparse in boolean default false);
   function checksum return number;
end grid_fill;
/
create or replace package body grid_fill as
   type t_row is table of number index by pls_integer;
   type t_grid is table of t_row index by pls_integer;
   g_grid t_grid;

   procedure clear is
   begin
      g_grid.delete;
   end clear;

   procedure fill (p_rows in pls_integer, p_cols in pls_integer, p_sparse in boolean default false) is
   begin
      clear;
      <<rows_loop>>
      for r in reverse case when p_rows > 1000 then 1000 else 1 end .. case when p_rows > 1000 then 1000 else p_rows end loop
         <<cols_loop>>
         for c in case when p_sparse then 2 else 1 end .. p_cols loop
            g_grid(r)(c) := r * c;
            continue cols_loop when mod(c, case when p_sparse then 2 else 1 end) = 0;
            for k in 1 .. case when r > c then case when p_sparse then 1 else 2 end else 3 end loop
               g_grid(r)(c) := g_grid(r)(c) + k;
            end loop;
         end loop cols_loop;
      end loop rows_loop;
   end fill;

   function checksum return number is
      l_sum number := 0;
      r     pls_integer := g_grid.first;
   begin
      while r is not null loop
         for c in 1 .. case when g_grid(r).count > 0 then g_grid(r).last else 0 end loop
            if g_grid(r).exists(c) then
               l_sum := l_sum + g_grid(r)(c);
            end if;
         end loop;
         r := g_grid.next(r);
      end loop;
      return l_sum;
   end checksum;
end grid_fill;
/
begin
   grid_fill.fill(10, 12, true);
   dbms_output.put_line(grid_fill.checksum);
end;
/
