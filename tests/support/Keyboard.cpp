#include "support/Keyboard.h"

#include <vector>

void SendKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs(2 * keys.size());
    size_t at = 0;
    for (WORD key : keys)
        inputs[at++].ki.wVk = key;
    for (auto key = keys.end(); key != keys.begin(); ++at) {
        inputs[at].ki.wVk = *--key;
        inputs[at].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    for (INPUT& input : inputs)
        input.type = INPUT_KEYBOARD;
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
