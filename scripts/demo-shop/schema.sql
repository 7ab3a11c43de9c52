-- The demo shop: the tables of both the source and the empty target.
CREATE TABLE customers (
    customer_id INTEGER PRIMARY KEY,
    name        VARCHAR(80) NOT NULL,
    city        VARCHAR(60),
    email       VARCHAR(120),
    joined_on   DATE,
    credit      DECIMAL(10,2),
    vip         BOOLEAN
);
CREATE TABLE products (
    product_id  INTEGER PRIMARY KEY,
    title       VARCHAR(100) NOT NULL,
    price       DECIMAL(10,2) NOT NULL,
    weight_kg   DOUBLE,
    picture     BLOB,
    notes       TEXT
);
CREATE TABLE orders (
    order_id    INTEGER PRIMARY KEY,
    customer_id INTEGER NOT NULL REFERENCES customers(customer_id),
    ordered_at  TIMESTAMP NOT NULL,
    ship_by     TIME,
    comment     TEXT
);
CREATE TABLE "order lines" (
    order_id    INTEGER NOT NULL REFERENCES orders(order_id),
    line_no     INTEGER NOT NULL,
    product_id  INTEGER NOT NULL REFERENCES products(product_id),
    quantity    INTEGER NOT NULL,
    unit_price  DECIMAL(10,2) NOT NULL,
    PRIMARY KEY (order_id, line_no)
);
