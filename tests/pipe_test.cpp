// Plays the built game over pipes the way a program driving it would: each
// answer is sent only once the prompt asking for it has arrived. A prompt left
// sitting in an output buffer makes the wait time out and the test fail.
#include <gtest/gtest.h>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr int quietMilliseconds = 5000;

std::string file_text(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class GameProcess {
public:
    GameProcess()
    {
        std::signal(SIGPIPE, SIG_IGN);
        int inputPipe[2] = {-1, -1};
        int outputPipe[2] = {-1, -1};
        if (pipe(inputPipe) != 0 || pipe(outputPipe) != 0) {
            throw std::runtime_error("pipe failed");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, inputPipe[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, outputPipe[1], STDOUT_FILENO);
        for (const int fd : {inputPipe[0], inputPipe[1], outputPipe[0], outputPipe[1]}) {
            posix_spawn_file_actions_addclose(&actions, fd);
        }
        std::string path = MOON_SURVIVAL_EXECUTABLE;
        char* argv[] = {path.data(), nullptr};
        const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(inputPipe[0]);
        close(outputPipe[1]);
        toGame = inputPipe[1];
        fromGame = outputPipe[0];
        if (spawned != 0) {
            pid = -1;
            throw std::runtime_error("could not start " + path);
        }
    }

    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    ~GameProcess()
    {
        close_input();
        close(fromGame);
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Waits until everything written so far ends with a prompt. Fails if the
    // game falls quiet without one or closes its output first.
    [[nodiscard]] bool wait_for_prompt()
    {
        while (!ends_with_prompt()) {
            if (!read_some()) {
                return false;
            }
        }
        return true;
    }

    void send(std::string_view text) const
    {
        ASSERT_EQ(write(toGame, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    void close_input()
    {
        if (toGame >= 0) {
            close(toGame);
            toGame = -1;
        }
    }

    // Reads to the end of the game's output and returns its exit status.
    int finish()
    {
        close_input();
        while (read_some()) {
        }
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    [[nodiscard]] const std::string& output() const { return written; }

private:
    [[nodiscard]] bool ends_with_prompt() const
    {
        const std::string_view text = written;
        return text.ends_with("Wpisz numer: ") || text.ends_with("Wpisz numer: \n");
    }

    bool read_some()
    {
        pollfd ready{fromGame, POLLIN, 0};
        if (poll(&ready, 1, quietMilliseconds) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t count = read(fromGame, buffer, sizeof buffer);
        if (count <= 0) {
            return false;
        }
        written.append(buffer, static_cast<std::size_t>(count));
        return true;
    }

    pid_t pid = -1;
    int toGame = -1;
    int fromGame = -1;
    std::string written;
};

class PlayedOverPipes : public testing::TestWithParam<std::string> {};

TEST_P(PlayedOverPipes, AnswersEachPromptAsItArrives)
{
    const std::string transcript = std::string(TRANSCRIPT_DIR) + "/" + GetParam();
    std::istringstream answers(file_text(transcript + ".in"));

    GameProcess game;
    std::string answer;
    while (std::getline(answers, answer)) {
        ASSERT_TRUE(game.wait_for_prompt())
            << "no prompt before answer '" << answer << "'; output so far:\n"
            << game.output();
        game.send(answer + "\n");
    }
    EXPECT_EQ(game.finish(), 0);
    EXPECT_EQ(game.output(), file_text(transcript + ".expected"));
}

INSTANTIATE_TEST_SUITE_P(Transcripts, PlayedOverPipes,
                         testing::Values("won_ship", "fight_bad_input"));

} // namespace
