#pragma once
// The editor's parameter values as the protocol's encoders and lock readers
// see them. Any thread: values are read without a lock.

#include "SysExProtocol.h"
#include "Zelto2X.h"

class EditorParameterSource : public zsysex::ParameterSource {
public:
    explicit EditorParameterSource(const Zelto2X& plug) : m_plug(plug) {}
    double parameterValue(int index) const override { return m_plug.paramValue(index); }

private:
    const Zelto2X& m_plug;
};
