// Reads every row of a 1,000,000-row SQLite table as text through the database layer and
// reports rows per second. The table is made once per run in a temporary folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "db/Database.h"

namespace {

constexpr int kRows = 1000000;

const std::filesystem::path& BenchFile() {
    static const std::filesystem::path file = [] {
        const auto folder = std::filesystem::temp_directory_path() / "vorlanex-fetch-bench";
        std::filesystem::create_directories(folder);
        const auto path = folder / "rows.sqlite";
        std::filesystem::remove(path);
        std::ofstream(path).close();
        auto connection = vorlanex::db::CreateOdbcConnection();
        connection->SetConnectionString("Provider=SQLite;Data Source=" + path.string());
        connection->Open();
        auto query = connection->CreateQuery();
        query->SetSQL(
            "CREATE TABLE rows (id INTEGER PRIMARY KEY, name VARCHAR(40), amount DOUBLE, "
            "stamp TIMESTAMP, note TEXT)");
        query->ExecSQL();
        query->SetSQL(
            "INSERT INTO rows WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
            "WHERE i < " +
            std::to_string(kRows) +
            ") SELECT i, 'name ' || i, i * 0.25, '2011-03-05 14:07:09', 'Motörhead ' || i "
            "FROM n");
        query->ExecSQL();
        return path;
    }();
    return file;
}

void ReadAllRowsAsText(benchmark::State& state) {
    auto connection = vorlanex::db::CreateOdbcConnection();
    connection->SetConnectionString("Provider=SQLite;Data Source=" + BenchFile().string());
    connection->Open();
    std::int64_t rows = 0;
    for (auto _ : state) {
        auto query = connection->CreateQuery();
        query->SetSQL("SELECT id, name, amount, stamp, note FROM rows");
        query->Open();
        size_t bytes = 0;
        for (; !query->Eof(); query->Next()) {
            for (int i = 0; i < query->FieldCount(); ++i)
                bytes += query->AsText(i).size();
            ++rows;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["rows_per_second"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}
BENCHMARK(ReadAllRowsAsText)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
