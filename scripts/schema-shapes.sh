#!/usr/bin/env bash
# Schema-heavy sources for the benchmark: the work per object counts there,
# not the rows.
#   bash scripts/schema-shapes.sh erp FILE      an ERP-sized schema: 145 tables, 139 domains,
#                                               275 triggers, about 520 indices, 77 procedures,
#                                               56 functions, about 900 grants, a few rows
#   bash scripts/schema-shapes.sh tables FILE [N]  N tables (500 by default), each with a
#                                               primary key, a check, a default and an index
# Needs ISC_PASSWORD (SYSDBA's) for the CREATE DATABASE; FILE must not exist.
set -euo pipefail
SHAPE=${1:?shape: erp or tables}
FILE=${2:?database file}
PASSWORD=${ISC_PASSWORD:-corbelfin}
[ -e "$FILE" ] && { echo "$FILE exists" >&2; exit 2; }

erp_sql() {
  local t d i
  echo "create role CLERK; create role AUDITOR;"
  for d in $(seq 139); do
    case $((d % 5)) in
      0) echo "create domain D_$d as varchar($((10 + d % 50))) default 'n/a' check (value <> '');" ;;
      1) echo "create domain D_$d as numeric(15,$((d % 4))) default 0 check (value >= 0);" ;;
      2) echo "create domain D_$d as integer not null;" ;;
      3) echo "create domain D_$d as timestamp default current_timestamp;" ;;
      4) echo "create domain D_$d as char(1) default 'N' check (value in ('Y', 'N'));" ;;
    esac
  done
  for t in $(seq 145); do
    echo "create generator G_$t;"
    # Each kind of column takes a domain of its type (the domains' types go round by five).
    d=$((5 * (t % 27)))
    echo "create table ERP_$t (ID integer not null, CODE varchar(20) not null, NAME D_$((d + 5)),"
    echo "  AMOUNT D_$((d + 1)), FLAG D_$((d + 4)), CREATED D_$((d + 3)),"
    echo "  PARENT_ID integer, NOTE blob sub_type 1,"
    echo "  constraint PK_ERP_$t primary key (ID), constraint UQ_ERP_$t unique (CODE));"
    echo "create index ERP_${t}_NAME on ERP_$t (NAME);"
    echo "create descending index ERP_${t}_CREATED on ERP_$t (CREATED);"
    [ $t -gt 1 ] && echo "alter table ERP_$t add constraint FK_ERP_$t foreign key (PARENT_ID) references ERP_$((t - 1)) (ID);"
  done
  echo "set term ^;"
  for t in $(seq 145); do
    echo "create trigger ERP_${t}_BI for ERP_$t active before insert position 0 as begin"
    echo "  if (new.ID is null) then new.ID = gen_id(G_$t, 1); -- a key of its own"
    echo "end^"
    [ $t -le 130 ] && { echo "create trigger ERP_${t}_BU for ERP_$t active before update position 0 as begin"
      echo "  if (new.CODE <> old.CODE) then new.NOTE = 'code was ' || old.CODE;"
      echo "end^"; }
  done
  for i in $(seq 77); do
    t=$((1 + i % 145))
    echo "create procedure P_$i (A_ID integer, A_CODE varchar(20)) returns (TOTAL numeric(18,2), N integer) as"
    echo "begin"
    echo "  select sum(AMOUNT), count(*) from ERP_$t where ID >= :A_ID or CODE = :A_CODE into :TOTAL, :N;"
    echo "  suspend;"
    echo "end^"
  done
  for i in $(seq 56); do
    t=$((1 + (i * 3) % 145))
    echo "create function F_$i (A_ID integer) returns varchar(40) as"
    echo "begin"
    echo "  return (select first 1 CODE from ERP_$t where ID = :A_ID);"
    echo "end^"
  done
  echo "set term ;^"
  for t in $(seq 145); do
    echo "grant select on ERP_$t to CLERK; grant select on ERP_$t to AUDITOR;"
    echo "grant insert, update on ERP_$t to CLERK; grant delete on ERP_$t to PUBLIC;"
    echo "grant select on ERP_$t to procedure P_$((1 + t % 77));"
    echo "grant update (NAME, AMOUNT) on ERP_$t to AUDITOR;"
  done
  for i in $(seq 77); do echo "grant execute on procedure P_$i to CLERK; grant execute on procedure P_$i to AUDITOR;"; done
  for i in $(seq 56); do echo "grant execute on function F_$i to CLERK;"; done
  echo "commit;"
  for t in $(seq 145); do
    for i in 1 2 3; do
      echo "insert into ERP_$t (ID, CODE, NAME, AMOUNT, FLAG, CREATED, PARENT_ID, NOTE) values"
      echo "  ($i, 'C$t-$i', 'N$i', $i.5, 'Y', timestamp '2024-01-0$i 10:00:00', $([ $t -gt 1 ] && echo $i || echo null), 'note $i');"
    done
  done
  echo "commit;"
}

tables_sql() {
  local t
  for t in $(seq "$1"); do
    echo "create table T$t (ID integer not null primary key, NAME varchar(40) default 'none',"
    echo "  AMOUNT numeric(15,2) check (AMOUNT >= 0), CODE char(10));"
    echo "create index T${t}_NAME on T$t (NAME);"
  done
  echo "commit;"
}

{
  echo "create database '$FILE' user 'SYSDBA' password '$PASSWORD' page_size 8192;"
  case $SHAPE in
    erp) erp_sql ;;
    tables) tables_sql "${3:-500}" ;;
    *) echo "unknown shape $SHAPE" >&2; exit 2 ;;
  esac
} | isql-fb -q -bail
