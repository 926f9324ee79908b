#include "ui/program_modules.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>

#include "ui/map_import_module.h"

// The installed module folder, relative to the installed program's folder,
// and the build tree's (set by the build for this file only).
#ifndef MW_MODULE_DIR_FROM_BIN
#define MW_MODULE_DIR_FROM_BIN "../lib/mapwanderer/modules"
#endif

namespace mw {

QStringList ModuleCandidates(const QString& programFolder, const QString& file) {
    QStringList list{programFolder + "/" + file,
                     programFolder + "/" MW_MODULE_DIR_FROM_BIN "/" + file};
#ifdef MW_MODULE_BUILD_DIR
    list << QStringLiteral(MW_MODULE_BUILD_DIR "/") + file;
#endif
    return list;
}

void* LoadModuleEntry(const QString& file, const QString& path, const char* entry,
                      QString* error) {
    QString chosen = path;
    if (chosen.isEmpty()) {
        const QStringList candidates = ModuleCandidates(QCoreApplication::applicationDirPath(), file);
        chosen = candidates.front();
        for (const QString& c : candidates)
            if (QFile::exists(c)) {
                chosen = c;
                break;
            }
    }
    // QLibrary never unloads on destruction: the module's code is called
    // for as long as the program runs.
    QLibrary module(chosen);
    void* function = reinterpret_cast<void*>(module.resolve(entry));
    if (function == nullptr && error != nullptr) *error = module.errorString();
    return function;
}

const MapImportFunctions* MapImportModule(QString* error) {
    static QString failure;
    static const MapImportFunctions* const functions = [] {
        auto entry = reinterpret_cast<MapImportEntry>(
            LoadModuleEntry(kMapImportModuleFile, {}, kMapImportModuleEntry, &failure));
        return entry ? entry() : nullptr;
    }();
    if (functions == nullptr && error != nullptr) *error = failure;
    return functions;
}

}  // namespace mw
