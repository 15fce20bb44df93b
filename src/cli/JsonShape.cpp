#include "cli/JsonShape.h"

#include <QJsonArray>
#include <initializer_list>
#include <utility>

namespace korva::cli {

namespace {

struct Shape {
    const char* command;
    std::initializer_list<const char*> keys;  ///< null until known
};

// "dry_run" is false and the name lists are empty until a run says otherwise.
const Shape kShapes[] = {
    {"version", {"version"}},
    {"ports", {"ports"}},
    {"send", {"bytes", "confirmed"}},
    {"logo convert", {"width", "height", "bytes"}},
    {"logo list", {"profile", "logos", "refused", "count", "bytes"}},
    {"logo upload",
     {"dry_run", "changed", "confirmed", "skipped", "images", "images_begun", "bytes", "nv_bytes",
      "nv_capacity", "fingerprint", "logos"}},
    {"logo erase", {"dry_run", "changed", "confirmed", "skipped"}},
    {"logo print", {"printed", "total", "confirmed"}},
    {"firmware check", {"series", "bytes", "signature", "device_type", "ext_font", "areas"}},
    {"firmware download",
     {"dry_run", "changed", "series", "area", "bytes", "checksum", "resends", "erased",
      "erase_sent", "signature", "start", "end", "blocks"}},
    {"setup read", {"settings", "write_only", "unknowns"}},
    {"setup write",
     {"dry_run", "changed", "confirmed", "verified", "changes", "settings", "write_only", "not_kept"}},
    {"setup test-page", {"confirmed"}},
    {"status",
     {"answered", "model_id", "model_id_hex", "series", "model", "settings", "write_only",
      "unknowns", "network", "status_block"}},
    {"net search", {"printers"}},
    {"net set", {"dry_run", "changed", "confirmed", "before", "after", "changes", "sender"}},
};

QJsonValue Empty(const std::string& key) {
    if (key == "dry_run" || key == "skipped") return false;
    if (key == "write_only" || key == "unknowns" || key == "printers") return QJsonArray();
    return QJsonValue::Null;
}

}  // namespace

QJsonObject CommandJsonKeys(const std::string& command) {
    QJsonObject keys;
    for (const Shape& shape : kShapes) {
        if (command != shape.command) continue;
        for (const char* key : shape.keys) keys[key] = Empty(key);
    }
    return keys;
}

}  // namespace korva::cli
