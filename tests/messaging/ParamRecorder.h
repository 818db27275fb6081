#pragma once
// A parameter store for protocol tests: receives decoded values and serves
// them back to the encoder.

#include <map>

#include "SysExProtocol.h"

class ParamRecorder : public zsysex::ParameterSink, public zsysex::ParameterSource {
public:
    void setParameter(int index, double value) override { values[index] = value; }
    double parameterValue(int index) const override
    {
        auto hit = values.find(index);
        return hit == values.end() ? 0.0 : hit->second;
    }
    bool has(int index) const { return values.count(index) != 0; }

    std::map<int, double> values;
};
