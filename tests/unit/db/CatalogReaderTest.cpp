#include <gtest/gtest.h>

#include "db/CatalogReader.h"

namespace vorlanex::db {
namespace {

TEST(DB2TableNames, LookupIgnoresLetterCaseAndSearchesAllGroups) {
    const std::pair<const char*, const char*> cases[] = {
        {"Employee", "TBL035"},
        {"calcaddtion", "TBL009"},
        {"ADT_SERVICE", "TBL190"},
        {"bankinformation", "TBL005"},
        {"employer", "TBL036"},
        {"cashbalance", "TBL027"},
        {"defretirement", "TBL030"},
        {"orders", ""},
        {"", ""},
        {"employee ", ""},
    };
    for (const auto& [logical, physical] : cases)
        EXPECT_EQ(GetDB2TableName(logical), physical);
}

}  // namespace
}  // namespace vorlanex::db
