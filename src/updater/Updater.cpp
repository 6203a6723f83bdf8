#include "updater/Updater.h"

#include "updater/IniFile.h"
#include "updater/IntegerText.h"
#include "updater/UpdaterLog.h"
#include "updater/UpdaterOs.h"

#include <filesystem>
#include <ostream>

namespace updater {

namespace {

std::string WithSeparator(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

UpdaterEnvironment UpdaterEnvironment::System()
{
    UpdaterEnvironment environment;
    environment.folders.current = UpdaterOs::CurrentFolder();
    environment.folders.temp = UpdaterOs::TempFolder();
    environment.documents = UpdaterOs::DocumentsFolder();
    environment.waitForProcess = UpdaterOs::WaitForProcessEnd;
    environment.sleep = UpdaterOs::SleepMilliseconds;
    environment.run = UpdaterOs::RunAndWait;
    environment.start = UpdaterOs::StartDetached;
    return environment;
}

Updater::Updater(UpdaterEnvironment environment) : m_environment(std::move(environment)) {}

std::optional<int> Updater::ParseProcessId(const std::string& text)
{
    return parseIntText(text);
}

std::vector<std::string> Updater::RestartArguments(const std::string& parameters)
{
    if (parameters == " ")
        return {};
    return {parameters};
}

std::string Updater::takeLogPath() const
{
    const std::string& documents = m_environment.documents;
    const std::string iniPath = documents.empty() ? std::string("WUPDATE.INI") : documents + "/WUPDATE.INI";
    const std::string name = IniFile::Load(iniPath).value("CONFIG", "LOGFILENAME", "WUPDATE.LOG");
    std::error_code code;
    std::filesystem::remove(iniPath, code);
    return UpdaterLog::PathFor(name, documents);
}

int Updater::Run(const UpdaterCommandLine& commandLine, std::ostream& errors)
{
    const auto processId = ParseProcessId(commandLine.processId);
    if (!processId) {
        errors << "'" << commandLine.processId << "' is not a valid integer value\n";
        return 1;
    }
    m_environment.waitForProcess(*processId);
    const UpdaterLog log(takeLogPath(), commandLine.logFlag == "L");
    m_environment.sleep(500);
    log.write(kVersionLine);
    log.write("Upd cur dir : " + m_environment.folders.current);

    const std::string source = WithSeparator(commandLine.sourceFolder);
    const std::string destination = WithSeparator(m_environment.folders.current);
    ComponentInstaller installer(log, m_environment.folders, m_environment.run, m_environment.sleep);
    for (const std::string& component : commandLine.components)
        installer.Process(component, source, destination);

    if (commandLine.applicationPath != "null") {
        log.write("Upd restart " + commandLine.applicationPath + " " + commandLine.applicationParameters);
        m_environment.start(commandLine.applicationPath, RestartArguments(commandLine.applicationParameters));
    }
    return 0;
}

} // namespace updater
