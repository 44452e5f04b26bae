// The settings file: whatever bytes it holds, reading never fails badly, and a store read, written
// and read again is the same store (so a save never changes what the next start reads).
#include "common/settings_store.h"
#include "fuzz_input.h"

using namespace corvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniStore store;
    if (!store.Load(fuzz::Bytes(data, size))) return 0;
    const std::string written = store.Serialize();
    IniStore again;
    FUZZ_CHECK(again.Load(written));
    FUZZ_CHECK(again.Serialize() == written);
    FUZZ_CHECK(again.Sections().size() == store.Sections().size());
    // A value written is read back as written.
    store.WriteString(L"Settings", L"Destination", L"C:\\x=y;z");
    FUZZ_CHECK(store.ReadString(L"Settings", L"Destination", L"") == L"C:\\x=y;z");
    return 0;
}
