create or replace procedure app_owner.purge_audit_log (
   p_keep_days in pls_integer default 90,
   p_batch     in pls_integer default 10000
) is
   l_cutoff  date := trunc(sysdate) - p_keep_days;
   l_deleted pls_integer;
begin
   loop
      delete from app_owner.audit_log
       where logged_at < l_cutoff
         and rownum <= p_batch;
      l_deleted := sql%rowcount;
      commit;
      exit when l_deleted < p_batch;
   end loop;
exception
   when others then
      rollback;
      raise;
end purge_audit_log;
/
create or replace function fin.fx_rate (
   p_from in varchar2,
   p_to   in varchar2,
   p_on   in date default sysdate
) return number
   result_cache
is
   l_rate number;
begin
   if p_from = p_to then
      return 1;
   end if;
   select r.rate
     into l_rate
     from fin.fx_rates r
    where r.from_ccy = p_from
      and r.to_ccy = p_to
      and r.valid_from = (select max(x.valid_from)
                            from fin.fx_rates x
                           where x.from_ccy = p_from
                             and x.to_ccy = p_to
                             and x.valid_from <= p_on);
   return l_rate;
exception
   when no_data_found then
      return null;
end;
/
create or replace function fin.amount_in (p_amount in number, p_ccy in varchar2, p_target in varchar2)
   return number
   deterministic
is
begin
   return round(p_amount * fin.fx_rate(p_ccy, p_target), 2);
end amount_in;
/
