// The main of every Windows test program: one line says which code page the
// test runs under, and a run meant for another code page fails at once.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const UINT codePage = GetACP();
    std::printf("code page %u\n", codePage);
    const char* wanted = std::getenv("WINE_CODEPAGE");
    if (wanted && *wanted && std::strtoul(wanted, nullptr, 10) != codePage) {
        std::fprintf(stderr, "asked for code page %s, running under %u\n", wanted, codePage);
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
