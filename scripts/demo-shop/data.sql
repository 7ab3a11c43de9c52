-- Rows with the awkward parts of real data: quotes, NULLs, non-ASCII names, line breaks,
-- backslashes, dates, decimals and binary pictures.
INSERT INTO customers VALUES (1, 'Ada O''Neill', 'Dublin', 'ada@example.org', '2019-03-05', 1250.50, 1);
INSERT INTO customers VALUES (2, 'Jürgen Müller', 'München', NULL, '2020-11-30', 0.00, 0);
INSERT INTO customers VALUES (3, 'Zoë Ñúñez', 'São Paulo', 'zoe@example.org', NULL, NULL, NULL);
INSERT INTO customers VALUES (4, '山田 太郎', '東京', 'taro@example.jp', '2021-01-01', 99999999.99, 1);
INSERT INTO customers VALUES (5, 'Bob "Bobby" Tables', 'Reykjavík', 'bob@example.com', '2022-07-14', -12.34, 0);
INSERT INTO products VALUES (1, 'Kettle', 34.90, 1.25, X'89504E470D0A1A0A', 'Boils water; fast.');
INSERT INTO products VALUES (2, 'Tea set ''Sakura''', 58.00, 2.5, X'00FF10', 'Six cups
-- and a pot');
INSERT INTO products VALUES (3, 'Path C:\shop\tea', 4.20, 0.1, NULL, 'A backslash \ stays');
INSERT INTO products VALUES (4, 'Crème brûlée torch', 19.99, 0.333, X'', NULL);
INSERT INTO orders VALUES (100, 1, '2023-01-15 09:30:00', '17:00:00', 'Leave at the door');
INSERT INTO orders VALUES (101, 2, '2023-02-28 23:59:59', NULL, NULL);
INSERT INTO orders VALUES (102, 4, '2024-02-29 00:00:01', '08:15:30', '-- not a comment');
INSERT INTO orders VALUES (103, 5, '2024-12-31 12:00:00', '12:00:00', 'Two lines:
first; second');
INSERT INTO "order lines" VALUES (100, 1, 1, 1, 34.90);
INSERT INTO "order lines" VALUES (100, 2, 2, 2, 58.00);
INSERT INTO "order lines" VALUES (101, 1, 3, 10, 4.20);
INSERT INTO "order lines" VALUES (102, 1, 4, 1, 19.99);
INSERT INTO "order lines" VALUES (102, 2, 1, 3, 33.00);
INSERT INTO "order lines" VALUES (103, 1, 2, 1, 58.00);
