#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Component.h"
#include "GameObject.h"

// Logs each update into a shared journal and may mark a body for removal as it runs.
class JournalComponent : public Component {
public:
    JournalComponent(std::string name, std::vector<std::string>* journal, int* destroyed = nullptr)
        : name(std::move(name)), journal(journal), destroyed(destroyed)
    {
    }
    ~JournalComponent() override
    {
        if (destroyed != nullptr) ++*destroyed;
    }
    void update() override
    {
        journal->push_back(name);
        if (toMark != nullptr) toMark->markedForRemoval = true;
    }

    GameObject* toMark = nullptr;

private:
    std::string name;
    std::vector<std::string>* journal;
    int* destroyed;
};
