// Any configuration that decodes comes back the same through gwconfig: shown as JSON
// and built from that JSON again, it encodes to the same bytes (parameters and rows in
// the stored order). The one refusal allowed is an address or MAC text the library
// cannot read, which build refuses by design: such a configuration must be refused for
// exactly that, and the round trip is then checked with those texts made well-formed.
#include <stdio.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "config/persistence.h"
#include "compare/config_fields.h"
#include "gwconfig/config_io.h"
#include "gwconfig/config_show.h"
#include "compare/value_rules.h"

namespace {

const uint32_t CODE_PAGE = 1252;

std::string ShownJson() {
    char* text = nullptr;
    size_t length = 0;
    FILE* out = open_memstream(&text, &length);
    if (out == nullptr)
        abort();
    WriteConfigJson(FilterConfig, CODE_PAGE, out);
    fclose(out);
    std::string json(text, length);
    free(text);
    return json;
}

// Gives every address or MAC text of FilterConfig that build would refuse a form it
// takes. True when there was one.
bool MendAddressForms() {
    bool mended = false;
    const ConfigKeys& keys = AllConfigKeys();
    for (size_t t = 0; t < keys.tableCount; ++t) {
        const ConfigTableKey& table = keys.tables[t];
        for (size_t r = 0; r < table.rowCount(FilterConfig); ++r) {
            for (size_t c = 0; c < table.columnCount; ++c) {
                const ConfigColumnKey& column = table.columns[c];
                const TextForm* form = column.text ? TextFormOf(column.name) : nullptr;
                char* field = static_cast<char*>(table.cell(FilterConfig, r, c));
                if (form == nullptr || form->accepts(FieldText(field, column.size)))
                    continue;
                const std::string name = column.name;
                CopyToField(field, column.size,
                            name == "MACADDRESS" ? "00-00-00-00-00-00"
                            : name == "IPTO"     ? ""
                                                 : "10.0.0.1");
                mended = true;
            }
        }
    }
    return mended;
}

bool IsAddressFormError(const std::string& error) {
    if (error.find("more problems not listed") != std::string::npos)
        return true;
    for (const char* column : {"IPFROM", "IPTO", "MACADDRESS"}) {
        if (error.find(TextFormOf(column)->description) != std::string::npos)
            return true;
    }
    return false;
}

bool Decode(const uint8_t* data, size_t size) {
    std::string enciphered(reinterpret_cast<const char*>(data), size);
    CryptConfigBlob(reinterpret_cast<uint8_t*>(&enciphered[0]), enciphered.size());
    return LoadConfigBlob(enciphered);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || !Decode(data, size)) {
        ResetFilterConfig();
        return 0;
    }
    std::vector<std::string> errors, warnings;
    if (MendAddressForms()) {
        // The configuration as it was stored is refused, for its address forms alone.
        if (!Decode(data, size))
            abort();
        if (LoadConfigJson(ShownJson(), "fuzz", CODE_PAGE, &errors, &warnings) || errors.empty())
            abort();
        for (const std::string& error : errors) {
            if (!IsAddressFormError(error))
                abort();
        }
        errors.clear();
        if (!Decode(data, size))
            abort();
        MendAddressForms();
    }
    std::string before, after;
    if (!EncodeConfigFile(&before))
        abort();
    const std::string json = ShownJson();
    if (!LoadConfigJson(json, "fuzz", CODE_PAGE, &errors, &warnings) || !errors.empty())
        abort();
    if (!EncodeConfigFile(&after) || after != before)
        abort();
    ResetFilterConfig();
    return 0;
}
