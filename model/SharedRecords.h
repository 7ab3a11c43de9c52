#pragma once

#include <string>

#include "model/DatabaseEngine.h"

namespace vorlanex {

// Both connection strings together with the destination choices a template stores.
struct TConnInfo {
    std::string DSNFrom;
    std::string DSNTo;
    std::string FileName;
    DatabaseEngine DBEngine = kDefaultEngine;
    DatabaseEngine SourceEngine = DatabaseEngine::Access;
    bool ODBCDestination = true;
};

struct MiscOptions {
    bool DeleteRecs = false;
    bool DisplaySystem = false;
    bool DisplayViews = false;
    bool DisplaySystemViews = false;
    bool DisplaySynonyms = false;
};

}  // namespace vorlanex
