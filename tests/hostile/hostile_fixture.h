// A source with one object of every kind and some rows, made afresh per
// test in a temporary folder, and an existing database that a failed run
// must leave alone.
#pragma once

#include "hostile/hostile_support.h"

#include <gtest/gtest.h>

#include <string>

namespace dravik::test {

class HostileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string src = dir.File("source.fdb");
    std::string dst = dir.File("clone.fdb");

    // Domains, a generator at 7, an exception, a procedure, two tables with
    // keys, an index and a trigger, a view, a blob; 40 + 3 rows.
    void MakeSource() {
        CreateDatabase(src);
        Isql(src, R"(
create domain D_CODE as varchar(12) default 'none' not null;
create generator G_ORDER;
set generator G_ORDER to 7;
create exception E_BAD 'bad input';
create table CUSTOMER (ID integer not null primary key, CODE D_CODE, NOTE blob sub_type text);
create table ORDERS (ID integer not null primary key, CUSTOMER_ID integer references CUSTOMER (ID),
  AMOUNT numeric(12,2), PLACED timestamp);
create index ORDERS_PLACED on ORDERS (PLACED);
create view V_ORDERS as select ID, AMOUNT from ORDERS;
set term ^;
create procedure ORDER_TOTAL returns (TOTAL numeric(18,2)) as
begin select sum(AMOUNT) from ORDERS into :TOTAL; suspend; end^
create trigger ORDERS_BI for ORDERS before insert as
begin if (new.ID is null) then new.ID = gen_id(G_ORDER, 1); end^
execute block as
declare i integer = 1;
begin
  while (i <= 40) do begin
    insert into CUSTOMER values (:i, 'C' || :i, iif(mod(:i, 3) = 0, null, 'note ' || :i));
    i = i + 1;
  end
end^
set term ;^
insert into ORDERS values (1, 1, 10.50, '2024-01-02 03:04:05');
insert into ORDERS values (2, 1, null, null);
insert into ORDERS values (3, 2, 99.99, '2023-12-31 23:59:59');
commit;
)");
    }

    // A database that exists before the run, with a marker table holding one row.
    void MakeExisting(const std::string& path) {
        CreateDatabase(path);
        Exec(path, "create table KEEP_ME (X integer)");
        Exec(path, "insert into KEEP_ME values (42)");
    }
    // True when that database is still there with its marker row.
    static bool StillThere(const std::string& path) {
        try {
            return FileExists(path) && Scalar(path, "select X from KEEP_ME") == "42";
        } catch (const std::exception&) {
            return false;
        }
    }
};

}  // namespace dravik::test
