#pragma once

#include <QString>

// A user-visible text as its English/Turkish pair. Views resolve it through the localize function
// with the current language at the moment they show it; nothing here picks a language.
struct CamTextPair {
    QString en;
    QString tr;

    friend bool operator==(const CamTextPair &, const CamTextPair &) = default;
};
