#!/usr/bin/env bash
# Throughput benchmark: dravik-clone against Firebird's own backup piped into
# restore, the engine's INSERT ... SELECT floor, a catalogue of 200 small
# tables, two schema-heavy shapes (an ERP-sized schema and 500 tables with
# keys, checks, defaults and indices: scripts/schema-shapes.sh), and a clone
# to the local server; the default clone with its verification beside gbak,
# locally and through the service manager; peak memory of dravik-clone for
# two table sizes.
#   bash scripts/bench.sh [--rows N] [--runs R] [--small N] [--shapes-only]
#   --shapes-only: the two schema-heavy shapes alone
set -euo pipefail
cd "$(dirname "$0")/.."
ROWS=1000000
SMALL=100000
RUNS=3
SHAPES_ONLY=0
while (($#)); do
  case $1 in
    --rows) ROWS=$2; shift 2 ;;
    --small) SMALL=$2; shift 2 ;;
    --runs) RUNS=$2; shift 2 ;;
    --shapes-only) SHAPES_ONLY=1; shift ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
CLONE=${DRAVIK_CLONE:-build/dravik-clone}
WIZARD=${DRAVIK_WIZARD_BIN:-build/app/wizard/dravik-wizard}
[ -x "$CLONE" ] || { echo "build first: $CLONE not found" >&2; exit 2; }
export ISC_USER=SYSDBA ISC_PASSWORD=${ISC_PASSWORD:-corbelfin}
WORK=$(mktemp -d /tmp/dravik-bench-XXXXXX)
chmod 777 "$WORK"
trap 'rm -rf "$WORK"' EXIT

make_source() {  # file rows
  isql-fb -q <<SQL
create database '$1' user 'SYSDBA' password '$ISC_PASSWORD' page_size 8192;
create table BENCH (ID integer not null primary key, BIG bigint, NAME varchar(40), DESCR varchar(100),
  AMOUNT numeric(15,2), DAY_ date, STAMP timestamp, NOTE blob sub_type 1);
create index BENCH_BIG on BENCH (BIG);
commit;
set term ^;
execute block as declare i integer = 0; begin
  while (i < $2) do begin
    insert into BENCH values (:i, iif(mod(:i, 17) = 0, null, :i * 7919), 'name ' || :i,
      rpad('d', mod(:i * 31, 95) + 5, 'x'), iif(mod(:i, 13) = 0, null, :i / 3.0),
      dateadd(mod(:i, 3000) day to date '2000-01-01'), dateadd(:i second to timestamp '2020-01-01 00:00:00'),
      iif(mod(:i, 10) = 0, 'note ' || :i || ' ' || rpad('', mod(:i, 200), 'n'), null));
    i = i + 1;
  end
end^
set term ;^
commit;
SQL
}

make_many_tables() {  # file tables: that many small tables of 5 rows each
  {
    echo "create database '$1' user 'SYSDBA' password '$ISC_PASSWORD' page_size 8192;"
    for i in $(seq "$2"); do
      echo "create table T$i (ID integer not null primary key, NAME varchar(40), AMOUNT numeric(15,2), DAY_ date,"
      echo "  NOTE blob sub_type 1, CODE char(10));"
    done
    echo "commit;"
    for i in $(seq "$2"); do
      for j in 1 2 3 4 5; do echo "insert into T$i values ($j, 'name $j', $j.5, current_date, 'note', 'c$j');"; done
    done
    echo "commit;"
  } | isql-fb -q
}

# Firebird's own clone: its backup piped into its restore.
gbak_pipe() {  # source destination
  gbak -b -user SYSDBA -pas "$ISC_PASSWORD" "$1" stdout | gbak -c -user SYSDBA -pas "$ISC_PASSWORD" stdin "$2"
}

# Wall-clock seconds of one run of a command (the destination removed first).
time_one() {  # dest command...
  local dest=$1; shift
  rm -f "$dest"
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || { echo "FAILED: $*" >&2; return 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

smaller() { if [ -z "$1" ] || (( $(echo "$2 < $1" | bc -l) )); then echo "$2"; else echo "$1"; fi; }

# Best wall-clock seconds of RUNS runs of a command.
best_of() {  # dest command...
  local best="" t
  for _ in $(seq "$RUNS"); do
    t=$(time_one "$@") || return 1
    best=$(smaller "$best" "$t")
  done
  printf '%.3f' "$best"
}

rate() { printf '%.0f' "$(echo "$ROWS / $1" | bc -l)"; }
peak_kb() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }

# Schema-heavy sources: hundreds to thousands of objects and few rows, so the
# work per object counts. The copy alone and gbak's pipe in turns, then the
# default clone with its verification.
bench_shapes() {
  local shape file s0 sb sv
  for shape in erp tables; do
    file=$WORK/shape-$shape.fdb
    bash scripts/schema-shapes.sh "$shape" "$file" >/dev/null
    s0="" sb=""
    for _ in $(seq "$RUNS"); do
      s0=$(smaller "$s0" "$(time_one "$WORK/s0.fdb" "$CLONE" --no-verify "$file" "$WORK/s0.fdb")")
      sb=$(smaller "$sb" "$(time_one "$WORK/sb.fdb" gbak_pipe "$file" "$WORK/sb.fdb")")
    done
    sv=$(best_of "$WORK/sv.fdb" "$CLONE" "$file" "$WORK/sv.fdb")
    printf '%-52s %8.3fs\n' "s. shape $shape: dravik-clone --no-verify" "$s0"
    printf '%-52s %8.3fs\n' "   gbak -b | gbak -c of the same" "$sb"
    printf '%-52s %8.3fs\n' "   dravik-clone with its verification" "$sv"
    printf 'ratio %s: copy alone / gbak %.2f; with the verification / gbak %.2f\n' "$shape" \
      "$(echo "$s0 / $sb" | bc -l)" "$(echo "$sv / $sb" | bc -l)"
  done
}

if ((SHAPES_ONLY)); then
  echo "Machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); best of $RUNS"
  bench_shapes
  exit 0
fi

echo "Machine: $(nproc) cores, $(free -g | awk '/Mem:/{print $2}') GiB, load $(cut -d' ' -f1-3 /proc/loadavg); rows: $ROWS; best of $RUNS"
SRC=$WORK/src.fdb
echo "making the source ($ROWS rows) ..."
make_source "$SRC" "$ROWS"

a=$(best_of "$WORK/a.fdb" "$CLONE" "$SRC" "$WORK/a.fdb")
# The clone and gbak in turns, so that both meet the machine in the same state.
a0="" b=""
for _ in $(seq "$RUNS"); do
  a0=$(smaller "$a0" "$(time_one "$WORK/a0.fdb" "$CLONE" --no-verify "$SRC" "$WORK/a0.fdb")")
  b=$(smaller "$b" "$(time_one "$WORK/b.fdb" gbak_pipe "$SRC" "$WORK/b.fdb")")
done
a0=$(printf '%.3f' "$a0") b=$(printf '%.3f' "$b")
floor_sql="create table COPY_ (ID integer not null primary key, BIG bigint, NAME varchar(40), DESCR varchar(100),
  AMOUNT numeric(15,2), DAY_ date, STAMP timestamp, NOTE blob sub_type 1);
commit; insert into COPY_ select * from BENCH; commit; drop table COPY_; commit;"
c=$(best_of "$WORK/none" bash -c "echo \"$floor_sql\" | isql-fb -q -user SYSDBA -pas '$ISC_PASSWORD' '$SRC'")
printf '%-52s %8ss %10s rows/s\n' "a. dravik-clone, embedded to embedded" "$a" "$(rate "$a")"
printf '%-52s %8ss %10s rows/s\n' "a0. the same with --no-verify" "$a0" "$(rate "$a0")"
# The clone above ends with its own comparison; this is the comparison alone.
v=$(best_of "$WORK/none" "$CLONE" --compare "$SRC" "$WORK/a.fdb")
printf '%-52s %8ss %10s rows/s\n' "a'. dravik-clone --compare SRC CLONE" "$v" "$(rate "$v")"
printf 'comparison / clone without it: %.2f\n' "$(echo "$v / $a0" | bc -l)"
# What bounds the comparison: it reads both databases whole, one thread each,
# so it takes at least one reading of the source; here gbak's own.
r=$(best_of "$WORK/none" bash -c "gbak -b -user SYSDBA -pas '$ISC_PASSWORD' '$SRC' stdout >/dev/null")
printf '%-52s %8ss %10s rows/s\n' "r. gbak -b SRC stdout >/dev/null (one reading)" "$r" "$(rate "$r")"
printf 'comparison / one reading by gbak: %.2f; that reading / clone without verification: %.2f\n' \
  "$(echo "$v / $r" | bc -l)" "$(echo "$r / $a0" | bc -l)"
printf '%-52s %8ss %10s rows/s\n' "b. gbak -b | gbak -c, embedded" "$b" "$(rate "$b")"
printf '%-52s %8ss %10s rows/s\n' "c. INSERT ... SELECT in one database (isql)" "$c" "$(rate "$c")"
printf 'ratio a/b (the default clone with its verification / gbak): %.2f (a0/b: %.2f)\n' "$(echo "$a / $b" | bc -l)" "$(echo "$a0 / $b" | bc -l)"

# Many small tables: the work per object counts there, not the rows.
MANY=$WORK/many.fdb
make_many_tables "$MANY" 200
h0="" hb=""
for _ in $(seq "$RUNS"); do
  h0=$(smaller "$h0" "$(time_one "$WORK/h.fdb" "$CLONE" --no-verify "$MANY" "$WORK/h.fdb")")
  hb=$(smaller "$hb" "$(time_one "$WORK/hb.fdb" gbak_pipe "$MANY" "$WORK/hb.fdb")")
done
hv=$(best_of "$WORK/none" "$CLONE" --compare "$MANY" "$WORK/h.fdb")
printf '%-52s %8.3fs\n' "h. 200 tables of 5 rows, --no-verify" "$h0"
printf '%-52s %8.3fs\n' "   gbak -b | gbak -c of the same" "$hb"
printf '%-52s %8.3fs\n' "   dravik-clone --compare of the two" "$hv"
printf 'ratio h/gbak: %.2f; comparison / clone: %.2f\n' "$(echo "$h0 / $hb" | bc -l)" "$(echo "$hv / $h0" | bc -l)"

bench_shapes

if (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
  d=$(best_of "$WORK/d.fdb" "$CLONE" "$SRC" "localhost:$WORK/d.fdb")
  printf '%-52s %8ss %10s rows/s\n' "d. dravik-clone to localhost:path (server)" "$d" "$(rate "$d")"
  # Both databases on the server, against gbak through the service manager
  # (backup to a file on the server, then restore: no row crosses the wire).
  chmod 666 "$SRC"
  e=$(best_of "$WORK/e.fdb" "$CLONE" "localhost:$SRC" "localhost:$WORK/e.fdb")
  e0="" f=""
  for _ in $(seq "$RUNS"); do
    e0=$(smaller "$e0" "$(time_one "$WORK/e0.fdb" "$CLONE" --no-verify "localhost:$SRC" "localhost:$WORK/e0.fdb")")
    f=$(smaller "$f" "$(time_one "$WORK/f.fdb" bash -c "rm -f '$WORK/f.fbk' && gbak -b -se localhost:service_mgr -user SYSDBA -pas '$ISC_PASSWORD' '$SRC' '$WORK/f.fbk' && gbak -c -se localhost:service_mgr -user SYSDBA -pas '$ISC_PASSWORD' '$WORK/f.fbk' '$WORK/f.fdb'")")
  done
  e0=$(printf '%.3f' "$e0") f=$(printf '%.3f' "$f")
  # Every row crossing the network both ways, as a backup piped into a
  # restore on another machine would.
  g=$(best_of "$WORK/g.fdb" bash -c "gbak -b -user SYSDBA -pas '$ISC_PASSWORD' 'localhost:$SRC' stdout | gbak -c -user SYSDBA -pas '$ISC_PASSWORD' stdin 'localhost:$WORK/g.fdb'")
  printf '%-52s %8ss %10s rows/s\n' "e. dravik-clone localhost:SRC localhost:DST" "$e" "$(rate "$e")"
  printf '%-52s %8ss %10s rows/s\n' "e0. the same with --no-verify" "$e0" "$(rate "$e0")"
  printf '%-52s %8ss %10s rows/s\n' "f. gbak -b | -c through the service manager" "$f" "$(rate "$f")"
  printf '%-52s %8ss %10s rows/s\n' "g. gbak -b localhost:SRC | gbak -c localhost:DST" "$g" "$(rate "$g")"
  # e and e0 have the server copy the rows itself; d sends them over the
  # network, as a clone between two servers would.
  printf 'ratio e/f (the default clone with its verification / the service manager): %.2f (e0/f: %.2f); over the network d/g: %.2f\n' "$(echo "$e / $f" | bc -l)" \
    "$(echo "$e0 / $f" | bc -l)" "$(echo "$d / $g" | bc -l)"
else
  echo "d. no server on 127.0.0.1:3050: remote clone not measured"
fi

if [ -x "$WIZARD" ]; then
  # The window and the command line in turns, so that both meet the machine
  # in the same state.
  # A 10-row clone of each gives their start-up, which does not grow with
  # the rows: the window's (Qt, the connection test, the lists) is longer.
  # Both make the same clone: the window's form makes 4096-byte pages unless
  # told otherwise, where the command line keeps the source's, so the command
  # line is given the window's page size (half the page size is twice the
  # pages to write and to read for the indices and the verification).
  TINY=$WORK/tiny.fdb
  make_source "$TINY" 10
  WINDOW_PAGES=4096
  w="" a2="" ws="" as=""
  for _ in $(seq "$RUNS"); do
    w=$(smaller "$w" "$(time_one "$WORK/w.fdb" env QT_QPA_PLATFORM=offscreen "$WIZARD" --run "$SRC" "$WORK/w.fdb")")
    a2=$(smaller "$a2" "$(time_one "$WORK/a2.fdb" "$CLONE" --page-size $WINDOW_PAGES "$SRC" "$WORK/a2.fdb")")
    ws=$(smaller "$ws" "$(time_one "$WORK/ws.fdb" env QT_QPA_PLATFORM=offscreen "$WIZARD" --run "$TINY" "$WORK/ws.fdb")")
    as=$(smaller "$as" "$(time_one "$WORK/as.fdb" "$CLONE" --page-size $WINDOW_PAGES "$TINY" "$WORK/as.fdb")")
  done
  w=$(printf '%.3f' "$w") a2=$(printf '%.3f' "$a2") ws=$(printf '%.3f' "$ws") as=$(printf '%.3f' "$as")
  printf '%-52s %8ss %10s rows/s\n' "window job path (offscreen)" "$w" "$(rate "$w")"
  printf '%-52s %8ss %10s rows/s\n' "the command line in turn with it (--page-size $WINDOW_PAGES)" "$a2" "$(rate "$a2")"
  printf '%-52s %8ss / %ss\n' "a 10-row clone: window / command line" "$ws" "$as"
  printf 'window / command line: %.2f; less the 10-row clone of each: %.2f\n' "$(echo "$w / $a2" | bc -l)" \
    "$(echo "($w - $ws) / ($a2 - $as)" | bc -l)"
fi

echo "peak resident memory of dravik-clone:"
SMALLSRC=$WORK/small.fdb
make_source "$SMALLSRC" "$SMALL"
rm -f "$WORK/m1.fdb" "$WORK/m2.fdb"
m1=$(peak_kb "$CLONE" "$SMALLSRC" "$WORK/m1.fdb")
m2=$(peak_kb "$CLONE" "$SRC" "$WORK/m2.fdb")
printf '  %9s rows: %6d KB\n  %9s rows: %6d KB\n  difference: %d KB\n' "$SMALL" "$m1" "$ROWS" "$m2" $((m2 - m1))
gbak -b -user SYSDBA -pas "$ISC_PASSWORD" "$SRC" "$WORK/m.fbk"
rm -f "$WORK/m3.fdb"
m3=$(peak_kb gbak -c -user SYSDBA -pas "$ISC_PASSWORD" "$WORK/m.fbk" "$WORK/m3.fdb")
printf 'peak resident memory of gbak -c at %s rows: %d KB\n' "$ROWS" "$m3"
