// The user's pointer outline "userPointer1.dat".
#include "fuzz_support.h"
#include "view/user_pointer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mwfuzz::WriteInput(mw::kUserPointerFile, data, size);
    (void)mw::LoadUserPointer(mwfuzz::Folder());
    return 0;
}
