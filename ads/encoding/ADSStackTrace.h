#pragma once
// The current thread's call stack as text, one line a frame, for the signals
// module. Frames are named from the dynamic loader's symbols only: a function
// the loader does not export (internal linkage, or an executable linked
// without exported symbols) shows as "???".

#include <cstddef>
#include <span>
#include <string>
#include <vector>

struct ADSStackAddressDescriptor {
    const void* address = nullptr;
    // The function's name without its parameters, or for a member function
    // the member's own name; empty when no symbol covers the address.
    std::string symbol;
    // The enclosing class of a member function; empty for anything else.
    std::string className;
    // A static member function. The symbol table does not record whether a
    // member is static, so descriptors made from addresses leave it false.
    bool isClassMethod = false;
    // Last path component of the image holding the address; empty when unknown.
    std::string imageName;
};

// One descriptor per address, from the dynamic loader's nearest symbol.
std::vector<ADSStackAddressDescriptor> ADSGetStackAddressDescriptorsForAddresses(std::span<const void* const> addresses);

// One line per descriptor, numbered from 0, joined with "\n":
//   "#0  tolvane                             0x55d4c3a2b1c0 -[ADSSignals produceClickSignal]"
//   "#1  libc.so.6                           0x7f01a2b3c4d5 __libc_start_main()"
//   "#2  ??                                  0x00000010 ???()"
// The image is left-aligned in 35 columns, the address is at least 10 wide
// with zeros after "0x"; "??" stands for an unknown image, "???" for an
// unknown symbol. A member function takes the method form "-[Class name]",
// or "+[Class name]" when it is static; anything else "name()". No
// descriptors give the empty string.
std::string ADSStackTraceFromAddressDescriptors(std::span<const ADSStackAddressDescriptor> descriptors);

// The calling thread's stack, its innermost frame being the caller of this function.
std::string ADSStackTrace();
