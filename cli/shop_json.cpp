#include "cli/shop_json.h"

#include "analysis/labels.h"

namespace kessrune {
namespace {

using namespace controls;
using Kind = AnalysisStep::Kind;

// `text` without `prefix` when it starts with it, else as it is.
std::string_view after(std::string_view text, std::string_view prefix) {
    return text.starts_with(prefix) ? text.substr(prefix.size()) : text;
}

std::string_view kindName(Kind kind) {
    switch (kind) {
        case Kind::fetch:
            return "fetch";
        case Kind::cut:
            return "cut";
        case Kind::keepAfterLast:
            return "keepAfterLast";
        case Kind::test:
            return "test";
        case Kind::remove:
            return "remove";
        case Kind::write:
            return "write";
    }
    return "";
}

void writeStep(JsonWriter& json, const StepRecord& s) {
    json.beginObject();
    json.key("id");
    json.utf8String(s.id);
    json.key("kind");
    json.utf8String(kindName(s.kind));
    switch (s.kind) {
        case Kind::fetch:
            json.key("control");
            json.utf8String(s.control);
            json.key("address");
            json.gbkString(s.text);
            json.key("length");
            json.number(static_cast<long long>(s.length));
            break;
        case Kind::cut:
            json.key("start");
            json.gbkString(s.start);
            json.key("end");
            json.gbkString(s.end);
            json.key("startFound");
            json.boolean(s.startFound);
            json.key("endFound");
            json.boolean(s.endFound);
            json.key("length");
            json.number(static_cast<long long>(s.length));
            break;
        case Kind::keepAfterLast:
            json.key("marker");
            json.gbkString(s.start);
            json.key("found");
            json.boolean(s.startFound);
            json.key("length");
            json.number(static_cast<long long>(s.length));
            break;
        case Kind::test:
            json.key("marker");
            json.gbkString(s.start);
            json.key("passed");
            json.boolean(s.passed);
            break;
        case Kind::remove:
            json.key("removed");
            json.gbkString(s.start);
            json.key("length");
            json.number(static_cast<long long>(s.length));
            break;
        case Kind::write:
            json.key("control");
            json.utf8String(s.control);
            if (s.control != kCssCodeBox) {
                json.key("text");
                json.gbkString(s.text);
            }
            json.key("length");
            json.number(static_cast<long long>(s.length));
            break;
    }
    json.endObject();
}

}  // namespace

void writeShopJson(JsonWriter& json, const ShopRun& run, bool withSteps, const std::string* file) {
    const ConsoleForm& form = run.form;
    json.beginObject();
    json.key("shopName");
    json.gbkString(form.text(kShopNameLabel));
    json.key("shopkeeper");
    json.gbkString(form.text(kShopkeeperLabel));
    json.key("template");
    json.gbkString(form.text(kTemplateLabel));
    json.key("cssAddress");
    json.gbkString(form.text(kCssAddressBox));
    json.key("css");
    json.gbkString(form.text(kCssCodeBox));
    json.key("ready");
    json.boolean(!form.disabled(kAnalyzeButton));
    json.key("requests");
    json.number(static_cast<long long>(run.fetches.size()));
    json.key("address");
    json.gbkString(run.address);
    const bool ok = run.ok();
    json.key("ok");
    json.boolean(ok);
    json.key("problem");
    if (ok) {
        json.null();
    } else {
        json.utf8String(run.problem());
    }

    json.key("shop");
    json.beginObject();
    json.key("name");
    json.gbkString(after(form.text(kShopNameLabel), labels::kShopNamePrefix));
    json.key("keeper");
    json.gbkString(after(form.text(kShopkeeperLabel), labels::kShopkeeperPrefix));
    const std::string_view templateText = form.text(kTemplateLabel);
    const bool designer = templateText.starts_with(labels::kDesignerTemplatePrefix);
    json.key("templateKind");
    if (designer) {
        json.utf8String("designer");
    } else if (templateText == labels::kSystemTemplate) {
        json.utf8String("system");
    } else {
        json.null();
    }
    json.key("designer");
    if (designer) {
        json.gbkString(after(templateText, labels::kDesignerTemplatePrefix));
    } else {
        json.null();
    }
    json.endObject();

    json.key("fetches");
    json.beginArray();
    for (const FetchRecord& f : run.fetches) {
        json.beginObject();
        json.key("address");
        json.gbkString(f.address);
        json.key("status");
        if (f.report.status == 0) {
            json.null();
        } else {
            json.number(f.report.status);
        }
        json.key("bytes");
        json.number(static_cast<long long>(f.report.bytes));
        json.key("ms");
        json.number(f.report.time.count());
        json.key("redirects");
        json.number(f.report.redirects);
        json.key("error");
        if (f.report.failure == FetchFailure::none) {
            json.null();
        } else {
            json.utf8String(failureWords(f.report.failure));
        }
        json.endObject();
    }
    json.endArray();

    if (withSteps) {
        json.key("steps");
        json.beginArray();
        for (const StepRecord& s : run.steps)
            writeStep(json, s);
        json.endArray();
    }
    if (file != nullptr) {
        json.key("file");
        if (file->empty()) {
            json.null();
        } else {
            json.utf8String(*file);
        }
    }
    json.endObject();
}

}  // namespace kessrune
