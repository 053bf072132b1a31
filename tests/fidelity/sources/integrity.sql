-- charset: UTF8
-- page_size: 8192
-- Inventory schema that leans on declarative integrity: every constraint kind,
-- every foreign key rule, composite and self-referencing keys, a reference
-- cycle between two tables, and indices of every shape. All rows satisfy
-- every constraint, so the order in which a copy adds them must not matter.
--
-- Firebird 3 has no RESTRICT keyword for foreign key actions: a key declared
-- without ON DELETE / ON UPDATE is stored with the rule RESTRICT, while an
-- explicit NO ACTION is stored as NO ACTION. Both appear below.

create domain d_percent as numeric(5,2) default 0 check (value between 0 and 100);
create domain d_code as varchar(10) not null check (value = upper(value) and char_length(value) >= 2);
create domain d_status as char(1) default 'A' check (value in ('A', 'I', 'X'));
create domain d_qty as integer default 0 check (value >= 0);
create domain d_email as varchar(80) check (value is null or value like '%_@_%');
create domain d_id as integer not null;

create table country (
  code char(2) not null,
  iso3 char(3) constraint nn_country_iso3 not null,
  name varchar(40) not null unique,
  constraint pk_country primary key (code) using desc index pk_country_code_desc,
  constraint uq_country_iso3 unique (iso3) using asc index uq_country_iso3_idx
);

create table region (
  country_code char(2) not null,
  region_no smallint not null check (region_no > 0),
  name varchar(40) not null,
  constraint pk_region primary key (country_code, region_no),
  constraint fk_region_country_cascade_all foreign key (country_code)
    references country (code) on delete cascade on update cascade
);

create table warehouse (
  id integer not null primary key,
  code d_code unique,
  country_code char(2),
  region_no smallint,
  status d_status,
  capacity_used d_percent,
  constraint fk_warehouse_region_set_null foreign key (country_code, region_no)
    references region (country_code, region_no) on delete set null on update no action
);

create table warehouse_bin (
  warehouse_code varchar(10) not null,
  bin_code varchar(8) not null,
  max_qty integer,
  constraint uq_warehouse_bin_code_per_wh unique (warehouse_code, bin_code),
  constraint fk_bin_warehouse_by_code foreign key (warehouse_code)
    references warehouse (code) on update cascade on delete cascade,
  check (max_qty is null or max_qty > 0)
);

create table product_category (
  id integer not null,
  parent_id integer,
  name varchar(40) not null,
  constraint pk_product_category primary key (id),
  constraint fk_category_parent_self_ref foreign key (parent_id)
    references product_category (id) on delete cascade,
  constraint uq_category_name_under_parent unique (parent_id, name)
);

create table product (
  id integer not null constraint pk_product primary key,
  sku varchar(20) not null,
  name varchar(60) not null,
  category_id integer default 0 not null,
  cost_price numeric(12,2) check (cost_price >= 0),
  list_price numeric(12,2),
  max_order_qty integer default 100,
  constraint uq_product_sku unique (sku),
  constraint fk_product_category_set_deflt foreign key (category_id)
    references product_category (id) on delete set default on update cascade,
  constraint chk_product_list_price_vs_cost check (list_price is null or list_price >= cost_price)
);

create table department (
  dept_no char(3) not null primary key,
  name varchar(40) not null,
  manager_id integer,
  parent_dept char(3) references department (dept_no)
);

create table employee (
  id integer not null,
  first_name varchar(20) not null,
  last_name varchar(30) not null,
  dept_no char(3) not null,
  boss_id integer,
  email d_email,
  constraint pk_employee primary key (id),
  constraint fk_employee_department_restrict foreign key (dept_no) references department (dept_no),
  constraint fk_employee_boss foreign key (boss_id) references employee (id) on delete set null,
  constraint chk_employee_not_own_boss check (boss_id is null or boss_id <> id)
);

-- the cycle department -> employee -> department closes after both exist
alter table department add constraint fk_department_manager_set_null
  foreign key (manager_id) references employee (id) on delete set null;

create table customer (
  id integer not null primary key,
  name varchar(60) not null,
  email d_email,
  tax_no varchar(15),
  country_code char(2) references country (code) on update cascade,
  discount d_percent,
  unique (tax_no, country_code)
);

create table sales_order (
  id integer not null,
  order_no varchar(12) not null,
  customer_id integer not null,
  order_date date not null,
  ship_date date,
  status d_status,
  handled_by integer,
  constraint pk_sales_order primary key (id),
  constraint uq_sales_order_no unique (order_no),
  constraint fk_sales_order_customer foreign key (customer_id)
    references customer (id) using index ix_fk_sales_order_customer,
  constraint fk_sales_order_employee_noact foreign key (handled_by)
    references employee (id) on delete no action on update no action,
  check (ship_date is null or ship_date >= order_date)
);

create table order_line (
  order_id integer not null,
  line_no smallint not null,
  product_id integer not null,
  product_sku varchar(20),
  qty d_qty not null,
  unit_price numeric(12,2) not null,
  discount d_percent,
  constraint pk_order_line primary key (order_id, line_no),
  constraint fk_order_line_order_cascade foreign key (order_id)
    references sales_order (id) on delete cascade,
  constraint fk_order_line_product_no_act foreign key (product_id)
    references product (id) on delete no action,
  constraint fk_order_line_product_by_sku foreign key (product_sku)
    references product (sku) on update cascade on delete set null,
  constraint chk_order_line_qty_within_max
    check (qty <= (select p.max_order_qty from product p where p.id = order_line.product_id))
);

create table stock (
  warehouse_id integer not null,
  product_id integer not null,
  qty d_qty,
  reserved d_qty,
  constraint pk_stock primary key (warehouse_id, product_id),
  constraint fk_stock_warehouse foreign key (warehouse_id) references warehouse (id) on delete cascade,
  constraint fk_stock_product foreign key (product_id) references product (id),
  constraint chk_stock_reserved_not_over check (reserved <= qty)
);

create table stock_movement (
  id bigint not null primary key,
  warehouse_id integer not null,
  product_id integer not null,
  delta integer not null check (delta <> 0),
  moved_at timestamp default current_timestamp not null,
  constraint fk_movement_stock_composite foreign key (warehouse_id, product_id)
    references stock (warehouse_id, product_id) on delete cascade on update cascade
);

-- Key columns whose NOT NULL comes from their domain. A table-level primary
-- key inside CREATE TABLE sets the null flag with no NOT NULL constraint
-- (named, unnamed, with a descending index); an inline key and a column's
-- own NOT NULL add the constraint; a key added later sets no flag at all,
-- and a unique key never does.
create table carrier (
  id d_id,
  name varchar(40),
  constraint pk_carrier primary key (id) using desc index ix_carrier_id_desc
);
create table carrier_zone (carrier_id d_id, zone_no d_id, primary key (carrier_id, zone_no));
create table carrier_code (code d_id primary key, zone_no integer);
create table carrier_rate (id integer not null, carrier_id d_id, constraint pk_carrier_rate primary key (id));
create table carrier_note (id d_id, carrier_id d_id, constraint uq_carrier_note unique (carrier_id));
alter table carrier_note add constraint pk_carrier_note primary key (id);
commit;

create descending index ix_sales_order_date_desc on sales_order (order_date);
create index ix_sales_order_cust_status on sales_order (customer_id, status);
create asc index ix_order_line_product on order_line (product_id, qty);
create index ix_customer_name_upper on customer computed by (upper(name));
create unique index ux_customer_email_lower on customer computed by (lower(email));
create index ix_product_name on product (name);
create unique descending index ux_employee_name_desc on employee (last_name, first_name);
create index ix_movement_moved_at on stock_movement (moved_at);
commit;
alter index ix_product_name inactive;
alter index ix_movement_moved_at inactive;
commit;

insert into country values ('DE', 'DEU', 'Germany');
insert into country values ('FR', 'FRA', 'France');
insert into country values ('US', 'USA', 'United States');
insert into country values ('CA', 'CAN', 'Canada');

insert into region values ('DE', 1, 'Bavaria');
insert into region values ('DE', 2, 'Saxony');
insert into region values ('FR', 1, 'Brittany');
insert into region values ('US', 1, 'Ohio');

insert into warehouse values (1, 'MUC1', 'DE', 1, 'A', 75.5);
insert into warehouse values (2, 'REN', 'FR', 1, 'I', 0);
insert into warehouse values (3, 'CLE', 'US', 1, 'A', 100);
insert into warehouse (id, code) values (4, 'NOWHERE');

insert into warehouse_bin values ('MUC1', 'A-01', 500);
insert into warehouse_bin values ('MUC1', 'A-02', null);
insert into warehouse_bin values ('REN', 'A-01', 20);

insert into product_category values (0, null, 'Uncategorised');
insert into product_category values (1, null, 'Hardware');
insert into product_category values (2, 1, 'Fasteners');
insert into product_category values (3, 2, 'Bolts');
insert into product_category values (4, 2, 'Nuts');
insert into product_category values (5, 1, 'Tools');
insert into product_category values (6, null, 'Tools');

insert into product values (1, 'BOLT-M6', 'Bolt M6', 3, 0.05, 0.10, 1000);
insert into product values (2, 'NUT-M6', 'Nut M6', 4, 0.02, 0.05, 1000);
insert into product values (3, 'HAMMER', 'Hammer', 5, 7.00, 12.50, 10);
insert into product values (4, 'MYSTERY', 'Mystery box', 0, 1.00, null, 1);
insert into product (id, sku, name) values (5, 'GIFT', 'Gift card');

insert into department (dept_no, name) values ('000', 'Head office');
insert into department (dept_no, name, parent_dept) values ('100', 'Sales', '000');
insert into department (dept_no, name, parent_dept) values ('110', 'Sales Europe', '100');
insert into employee values (1, 'Anna', 'Adler', '000', null, 'anna@example.com');
insert into employee values (2, 'Bruno', 'Berg', '100', 1, 'bruno@example.com');
insert into employee values (3, 'Chloé', 'Colin', '110', 2, null);
insert into employee values (4, 'Dan', 'Berg', '110', 2, null);
update department set manager_id = 1 where dept_no = '000';
update department set manager_id = 2 where dept_no = '100';

insert into customer values (1, 'Acme GmbH', 'orders@acme.example', 'DE123', 'DE', 5);
insert into customer values (2, 'Acme Inc', 'Orders@Acme.example.us', 'DE123', 'US', 0);
insert into customer values (3, 'Bistro', null, null, 'FR', 12.5);
insert into customer values (4, 'Nobody', null, null, null, null);

insert into sales_order values (1, 'SO-0001', 1, '2023-01-10', '2023-01-12', 'A', 2);
insert into sales_order values (2, 'SO-0002', 1, '2023-02-01', null, 'I', null);
insert into sales_order values (3, 'SO-0003', 3, '2023-02-01', '2023-02-01', 'X', 3);
insert into sales_order values (4, 'SO-0004', 2, '2024-12-31', null, 'A', 4);

insert into order_line values (1, 1, 1, 'BOLT-M6', 200, 0.10, 0);
insert into order_line values (1, 2, 2, 'NUT-M6', 200, 0.05, 10);
insert into order_line values (1, 3, 3, null, 1, 12.50, 0);
insert into order_line values (2, 1, 3, 'HAMMER', 10, 11.00, 100);
insert into order_line values (3, 1, 4, 'MYSTERY', 1, 1.00, null);
insert into order_line values (4, 1, 5, 'GIFT', 0, 25.00, 0);

insert into stock values (1, 1, 5000, 400);
insert into stock values (1, 2, 5000, 0);
insert into stock values (2, 3, 3, 3);
insert into stock values (3, 4, 0, 0);

insert into carrier values (1, 'Rail');
insert into carrier values (2, 'Road');
insert into carrier_zone values (1, 1);
insert into carrier_zone values (2, 1);
insert into carrier_code values (10, 1);
insert into carrier_rate values (1, 2);
insert into carrier_note values (1, 1);

insert into stock_movement values (1, 1, 1, 5000, '2023-01-01 08:00:00');
insert into stock_movement values (2, 1, 2, 5200, '2023-01-01 08:00:01');
insert into stock_movement values (3, 1, 2, -200, '2023-01-12 17:30:00');
insert into stock_movement values (4, 2, 3, 3, '2023-01-20 09:15:00');
commit;
