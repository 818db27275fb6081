#pragma once
// The SysEx templates of one `sysex` element of the SysEx configuration. A
// control's sysexIndex is the position of its element in the list.

#include <string>
#include <vector>

// The texts of the `value` elements of one `values` element: each one SysEx
// message as blank-separated hexadecimal bytes.
struct Values {
    std::vector<std::string> messages;
};

struct SysExContainer {
    // One entry per `values` element with `value` children, in document order.
    std::vector<Values> values;
    // One inner list per `values` element without `value` children, one entry per `multivalue`.
    std::vector<std::vector<Values>> multiValues;
    bool isMultiValue = false;

    // The first message text of the first `values` entry; empty when there is none.
    std::string firstTemplate() const
    {
        if (values.empty() || values.front().messages.empty())
            return std::string();
        return values.front().messages.front();
    }
};
