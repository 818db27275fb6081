#pragma once
// The documented map from sound-dump bytes to the editor's parameter indexes,
// written out for the sessions: what the panel must read for a given dump.

#include <cstdint>
#include <utility>
#include <vector>

namespace e2e {

// (parameter index, value) for every parameter the bytes 7..114 of a sound dump set.
inline std::vector<std::pair<int, double>> PanelValuesOf(const std::vector<uint8_t>& dump)
{
    // Bytes whose parameter takes the byte as it is.
    static const std::pair<int, int> kPlain[] = {
        {7, 6}, {8, 13}, {10, 3}, {11, 36}, {12, 9}, {13, 7}, {14, 14}, {16, 4}, {17, 37}, {18, 10},
        {19, 8}, {20, 39}, {22, 5}, {23, 38}, {24, 11}, {25, 28}, {27, 30}, {28, 31}, {29, 21}, {30, 48},
        {31, 15}, {32, 16}, {33, 17}, {34, 18}, {35, 32}, {36, 33}, {37, 24}, {38, 25}, {39, 26}, {40, 27},
        {41, 34}, {42, 35}, {43, 52}, {44, 53}, {45, 54}, {47, 102}, {48, 56}, {49, 40}, {50, 44}, {51, 42},
        {52, 45}, {53, 41}, {54, 43}, {55, 57}, {56, 58}, {57, 19}, {58, 12}, {59, 46}, {60, 47}, {85, 83},
        {86, 84}, {87, 85}, {92, 49}, {93, 50}, {94, 86}, {95, 87}, {96, 88}, {113, 89}, {114, 90}};
    std::vector<std::pair<int, double>> values;
    for (const auto& [byte, param] : kPlain)
        values.emplace_back(param, dump[byte]);
    for (int unitByte = 0; unitByte < 24; ++unitByte)  // modulation units: source, amount, destination
        values.emplace_back(59 + unitByte, dump[61 + unitByte]);
    for (int osc = 0; osc < 3; ++osc)  // semitones, bytes 9, 15, 21
        values.emplace_back(osc, dump[9 + 6 * osc] - 16.0);
    const int lfo1 = dump[26];
    values.emplace_back(240, lfo1);
    values.emplace_back(29, lfo1 < 5 ? lfo1 : lfo1 - 5);
    values.emplace_back(265, dump[43] != 0 ? 1.0 : 0.0);
    values.emplace_back(55, dump[46] == 0 ? 0 : dump[46] - 1);
    for (int step = 1; step <= 16; ++step) {
        const int b = dump[96 + step];
        values.emplace_back(118 + step, b % 16);
        values.emplace_back(134 + step, (b / 16) % 4);
        values.emplace_back(150 + step, b / 64);
    }
    return values;
}

}  // namespace e2e
