create or replace package report_gen as
   procedure header;
   procedure footer;
end report_gen;
/
create or replace package body report_gen as
   procedure emit (p_line in varchar2) is
   begin
      dbms_output.put_line(p_line);
   end emit;

   procedure header is
   begin
      $if false $then
         -- generated from report.tmpl
         emit( ( <%= title %>
      $end
      emit('Monthly report');
   end header;

   procedure footer is
   begin
      $if $$never_defined $then
         ) ) end loop; end if;
      $else
         emit('-- end of report --');
      $end
   end footer;
end report_gen;
/
