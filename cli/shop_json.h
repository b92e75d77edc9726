// A shop run as one JSON object, for scripts: the window's display texts
// as they are, and what a script wants without the window's words.
#ifndef KESSRUNE_CLI_SHOP_JSON_H
#define KESSRUNE_CLI_SHOP_JSON_H

#include "cli/json_output.h"
#include "cli/shop_run.h"

namespace kessrune {

// Writes {"shopName", "shopkeeper", "template", "cssAddress", "css",
// "ready", "requests", "address", "ok", "problem", "shop": {"name",
// "keeper", "templateKind", "designer"}, "fetches": [{"address", "status",
// "bytes", "ms", "redirects", "error"}...]} and, with `withSteps`, "steps";
// with `file`, last a "file" (the name the sheet was saved under, null for
// "").
void writeShopJson(JsonWriter& json, const ShopRun& run, bool withSteps,
                   const std::string* file = nullptr);

}  // namespace kessrune

#endif  // KESSRUNE_CLI_SHOP_JSON_H
