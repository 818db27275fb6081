#pragma once
// Limits what may be typed into the text entry field: a set of acceptable
// characters, a maximum length and a maximum integer value. Main thread.

#include <string>

class CocoaFormatter_vZelto2X_64_au {
public:
    // The characters each parameter kind accepts (null: the kind accepts every
    // character; "" none). Kinds as IParam::EParamType.
    static const char* CharactersForParamType(int type);

    // The whole text after a change: false refuses the change.
    bool isPartialStringValid(const std::string& partial) const;
    // The object is already the text.
    const std::string* stringForObjectValue(const std::string* object) const { return object; }
    bool getObjectValue(std::string* object, const std::string& text) const
    {
        *object = text;
        return true;
    }

    // Null accepts any character.
    void setAcceptableCharacterSet(const char* characters);
    void setMaximumLength(int length) { maxLength = length; }  // 0: no limit
    void setMaximumValue(int value) { maxValue = value; }      // 0: no limit

private:
    bool hasCharacterSet = false;
    std::string filterCharacterSet;
    int maxLength = 0;
    int maxValue = 0;
};
