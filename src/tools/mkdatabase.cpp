// Build tool: makes a database file from SQL scripts (data.mdb from
// data/schema.sql and data/defaults.sql). Usage: mkdatabase OUTPUT SQL...

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT SCRIPT.sql...\n", argv[0]);
        return 2;
    }
    const std::filesystem::path output = argv[1];
    const std::filesystem::path temp = output.string() + ".tmp";
    std::filesystem::remove(temp);

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "mkdatabase: cannot create %s\n", temp.c_str());
        return 1;
    }
    std::string sql = "BEGIN;\n";
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "mkdatabase: cannot read %s\n", argv[i]);
            return 1;
        }
        std::stringstream text;
        text << in.rdbuf();
        sql += text.str() + "\n";
    }
    sql += "COMMIT;\n";
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "mkdatabase: %s\n", error ? error : "failed");
        sqlite3_free(error);
        sqlite3_close(db);
        std::filesystem::remove(temp);
        return 1;
    }
    sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::filesystem::rename(temp, output);
    return 0;
}
