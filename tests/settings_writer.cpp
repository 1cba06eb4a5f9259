// Writes settings without end, for the crash test to kill at random moments: for generation 1,
// 2, ... each pair in turn gets its text, then its number (settings_crash_values.h). It reports
// "ready" on stdout once its values are constructed.
#include "settings_crash_values.h"
#include "twutility/registryint.h"
#include "twutility/registrystring.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const int run = atoi(argv[1]);
    std::vector<std::unique_ptr<CRegistryString>> texts;
    std::vector<std::unique_ptr<CRegistryInt>> numbers;
    for (int i = 0; i < CrashValues::Count; ++i)
    {
        texts.emplace_back(new CRegistryString(
            CrashValues::Location, CrashValues::Text_Name(i).c_str(), CrashValues::InitialText));
        numbers.emplace_back(
            new CRegistryInt(CrashValues::Location, CrashValues::Number_Name(i).c_str(), 0));
    }
    printf("ready\n");
    fflush(stdout);
    for (int generation = 1;; ++generation)
    {
        for (int i = 0; i < CrashValues::Count; ++i)
        {
            texts[i]->Set_Value(CrashValues::Text(run, generation, i).c_str());
            numbers[i]->Set_Value(CrashValues::Number(run, generation));
        }
    }
}
