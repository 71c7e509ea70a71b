#pragma once
// The longest input a target looks at. libFuzzer would otherwise grow inputs to 4 KB, and a
// target that reads only the start of each spends its time on bytes it never sees.
#include <cstddef>
#include <string>
#include <vector>

// Puts "-max_len=N" in front of the command line's own flags, where a -max_len given there
// still wins. Call from LLVMFuzzerInitialize, which libFuzzer runs before it reads its flags.
inline void defaultMaxLen(int *argc, char ***argv, size_t maxLen)
{
    static std::string flag;
    static std::vector<char *> args;
    flag = "-max_len=" + std::to_string(maxLen);
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, flag.data());
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
}
