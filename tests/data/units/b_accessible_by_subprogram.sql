create or replace package order_api authid current_user as
   procedure place_order (p_customer_id in number, p_items in sys.odcinumberlist);
   -- only the nightly jobs purge
   procedure purge_cancelled (p_before in date)
      accessible by (package order_jobs, procedure run_nightly);
   function order_total (p_order_id in number) return number
      accessible by (order_report);
end order_api;
/
create or replace package body order_api as
   procedure place_order (p_customer_id in number, p_items in sys.odcinumberlist) is
      l_order_id number;
   begin
      insert into orders (customer_id, placed_at)
      values (p_customer_id, systimestamp)
      returning order_id into l_order_id;
      forall i in 1 .. p_items.count
         insert into order_items (order_id, item_id, quantity)
         values (l_order_id, p_items(i), 1);
   end place_order;

   procedure purge_cancelled (p_before in date)
      accessible by (package order_jobs, procedure run_nightly)
   is
   begin
      delete from orders
       where status = 'CANCELLED'
         and placed_at < p_before;
   end purge_cancelled;

   function order_total (p_order_id in number) return number
      accessible by (order_report)
   is
      l_total number;
   begin
      select nvl(sum(i.price * i.quantity), 0)
        into l_total
        from order_items i
       where i.order_id = p_order_id;
      return l_total;
   end order_total;
end order_api;
/
create or replace procedure run_nightly is
begin
   order_api.purge_cancelled(add_months(trunc(sysdate), -6));
end run_nightly;
/
