#pragma once
// One finding of the configuration check: how grave it is, the tree node it
// belongs to, a stable identifier for scripts and a short text in the
// report's own words. UTF-8.

#include "image/ImageLayout.h"

#include <string>

struct TConfigFinding {
    enum class Severity { Error, Warning };
    // The tree's nodes: the two settings pages, the two roots of the console
    // buttons and paging groups, a button, a group, an input, a stage.
    enum class Node { System, Settings, Buttons, Groups, Button, Group, Input, Stage };

    Severity severity = Severity::Error;
    Node node = Node::System;
    int number = 0; // button, group or input, 1-based; 0 for the pages and roots
    int stage = 0;  // stage 1..5 of the input, for a stage
    std::string id;
    std::string text;

    bool error() const { return severity == Severity::Error; }
    // The node as the tree names it: "Конфигурация системы", "Кнопка 3",
    // "Группа 2 (Код-202)", "IN-4", "IN-4, Этап 2".
    std::string where() const
    {
        switch (node) {
        case Node::System: return "Конфигурация системы";
        case Node::Settings: return "Функциональные настройки";
        case Node::Buttons: return "Прогр. кнопок пульта  диктора";
        case Node::Groups: return "Прогр. групп телеф. пейджинга";
        case Node::Button: return "Кнопка " + std::to_string(number);
        case Node::Group:
            return "Группа " + std::to_string(number) + " (Код-" + std::to_string(Layout::GroupCodeBase + number) + ")";
        case Node::Input: return "IN-" + std::to_string(number);
        case Node::Stage: return "IN-" + std::to_string(number) + ", Этап " + std::to_string(stage);
        }
        return {};
    }
    // "IN-4, Этап 2: text".
    std::string line() const { return where() + ": " + text; }
};
