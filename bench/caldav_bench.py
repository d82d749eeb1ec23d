#!/usr/bin/python3
"""CalDAV sync against a local Radicale or Xandikos: the planner's first sync
of a large collection beside python3-caldav fetching the same collection,
then syncs with nothing changed and with one changed item.

    /usr/bin/python3 bench/caldav_bench.py [--server radicale|xandikos]
        [--before OLD_DAYBROOK] build/app/daybrook [ITEMS] [ROUNDS]

The collection is written straight into the server's store (one file per
object: Radicale's documented format, or a git commit for Xandikos) so that
filling it costs no requests; one listing warms the server before anything
is timed. With --before, the two builds run alternately, each on a
collection of its own with the same objects, so that one build's pushes do
not reach the other's calendar. Each figure gives the wall time, the
planner's CPU time (user + system of the reaped child) and the server's CPU time
(from /proc) of the same run. Every planner figure includes starting the
process.
"""
import argparse
import os
import secrets
import shutil
import socket
import statistics
import subprocess
import tempfile
import time

import caldav


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def event(i):
    day = 1 + i % 28
    month = 1 + (i // 28) % 12
    return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VEVENT\r\n"
            f"UID:bench-{i}@bench\r\nDTSTAMP:20260101T000000Z\r\n"
            f"DTSTART:2026{month:02d}{day:02d}T090000Z\r\nDTEND:2026{month:02d}{day:02d}T100000Z\r\n"
            f"SUMMARY:Bench item {i}\r\nLOCATION:Room {i % 40}\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")


def fill(folder, items):
    for i in range(items):
        with open(os.path.join(folder, f"bench-{i}.ics"), "w") as f:
            f.write(event(i))


def server_cpu(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def figures(runs):
    def three(values):
        return "%.2f / %.2f / %.2f" % (min(values), statistics.median(values), max(values))
    return "wall %s s, planner CPU %s s, server CPU %s s" % (
        three([r[0] for r in runs]), three([r[1] for r in runs]), three([r[2] for r in runs]))


class Server:
    def __init__(self, kind, work, names, items):
        self.kind = kind
        self.port = free_port()
        self.user = "bench" if kind == "radicale" else None
        self.password = secrets.token_hex(8)  # lives in the server's own file only
        store = os.path.join(work, "store")
        if kind == "radicale":
            with open(os.path.join(work, "users"), "w") as f:
                f.write(f"bench:{self.password}\n")
            with open(os.path.join(work, "config"), "w") as f:
                f.write(f"[server]\nhosts = 127.0.0.1:{self.port}\n[auth]\ntype = htpasswd\n"
                        f"htpasswd_filename = {work}/users\nhtpasswd_encryption = plain\ndelay = 0\n"
                        f"[storage]\nfilesystem_folder = {store}\n[rights]\ntype = owner_only\n"
                        "[logging]\nlevel = warning\n")
            for name in names:
                folder = os.path.join(store, "collection-root", "bench", name)
                os.makedirs(folder)
                with open(os.path.join(folder, ".Radicale.props"), "w") as f:
                    f.write('{"tag": "VCALENDAR"}')
                fill(folder, items)
            command = ["radicale", "--config", os.path.join(work, "config")]
            self.base = f"http://127.0.0.1:{self.port}/bench/"
        else:
            command = ["xandikos", "--defaults", "-d", store, "-l", "127.0.0.1", "-p", str(self.port)]
            self.base = f"http://127.0.0.1:{self.port}/user/calendars/"
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(400):
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                break
            except OSError:
                time.sleep(0.05)
        self.client = caldav.DAVClient(self.base, username=self.user, password=self.password)
        if kind == "xandikos":
            for name in names:
                self.client.request(self.url(name), "MKCALENDAR")
                folder = os.path.join(store, "user", "calendars", name)
                fill(folder, items)
                git = ["git", "-C", folder, "-c", "user.name=bench", "-c", "user.email=bench@localhost"]
                subprocess.run(git + ["add", "-A", "."], check=True, stdout=subprocess.DEVNULL)
                subprocess.run(git + ["commit", "-qm", "fill"], check=True)

    def url(self, name):
        return self.base + name + "/"

    def cpu(self):
        return server_cpu(self.process.pid)

    def stop(self):
        self.process.terminate()
        self.process.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--server", choices=["radicale", "xandikos"], default="radicale")
    parser.add_argument("--before")
    parser.add_argument("daybrook")
    parser.add_argument("items", nargs="?", type=int, default=10000)
    parser.add_argument("rounds", nargs="?", type=int, default=3)
    options = parser.parse_args()
    builds = [("after", os.path.abspath(options.daybrook))]
    if options.before:
        builds.insert(0, ("before", os.path.abspath(options.before)))
    items = options.items
    work = tempfile.mkdtemp(prefix="daybrook-caldav-bench-", dir="/dev/shm" if os.path.isdir("/dev/shm") else None)
    server = Server(options.server, work, [label for label, _ in builds], items)
    try:
        for label, _ in builds:
            warm = caldav.Calendar(client=server.client, url=server.url(label)).events()  # builds the server's caches
            assert len(warm) == items, len(warm)
        calendar = caldav.Calendar(client=server.client, url=server.url(builds[-1][0]))
        env = dict(os.environ, DAYBROOK_CALDAV_PASSWORD=server.password, QT_QPA_PLATFORM="offscreen")

        def planner(daybrook, home, *arguments):
            started = time.perf_counter()
            cpu_before = server.cpu()
            process = subprocess.Popen([daybrook, "--home", home, *arguments], env=env,
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            out, err = process.communicate()
            elapsed = time.perf_counter() - started
            assert process.returncode == 0, err
            return elapsed, server.cpu() - cpu_before, out.strip()

        # The planner's CPU time: what the reaped children used meanwhile.
        def timed(daybrook, home, *arguments):
            children = os.times()
            elapsed, server_seconds, line = planner(daybrook, home, *arguments)
            after = os.times()
            cpu = (after.children_user - children.children_user) + (after.children_system - children.children_system)
            return (elapsed, cpu, server_seconds), line

        homes = {}
        first = {label: [] for label, _ in builds}
        python = []
        for r in range(options.rounds):
            cpu_before = server.cpu()
            started = time.perf_counter()
            fetched = calendar.events()
            for e in fetched:
                e.data  # the text, as the planner has it
            python.append((time.perf_counter() - started, 0.0, server.cpu() - cpu_before))
            assert len(fetched) == items
            for label, daybrook in builds:
                if label in homes:
                    shutil.rmtree(homes[label])
                homes[label] = tempfile.mkdtemp(prefix=f"home-{label}-", dir=work)
                env["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(prefix="run-", dir=work)
                user = ["--user", server.user] if server.user else []
                run, line = timed(daybrook, homes[label], "--caldav", server.url(label), *user)
                assert f"pulled {items}," in line, line
                first[label].append(run)
        print(f"{options.server}, {items} items, {options.rounds} rounds, alternating")
        print(f"  python3-caldav fetch all (planner CPU: none): {figures(python)}")
        for label, _ in builds:
            print(f"  {label:6} first sync:         {figures(first[label])}")

        unchanged = {label: [] for label, _ in builds}
        for _ in range(5):
            for label, daybrook in builds:
                unchanged[label].append(timed(daybrook, homes[label], "--sync")[0])
        for label, _ in builds:
            print(f"  {label:6} sync, no change:    {figures(unchanged[label])}")

        one = {label: [] for label, _ in builds}
        for r in range(5):
            for label, daybrook in builds:
                calendar_file = os.path.join(homes[label], "Personal Calendar", "Personal Calendar.db")
                subprocess.run(["sqlite3", calendar_file,
                                f"UPDATE items SET Subject = 'Changed {label} {r}' WHERE No = 1"], check=True)
                run, line = timed(daybrook, homes[label], "--sync")
                assert "pushed 1," in line, line
                one[label].append(run)
        for label, _ in builds:
            print(f"  {label:6} sync, one changed:  {figures(one[label])}")
        for label, daybrook in builds:
            started = time.perf_counter()
            subprocess.run([daybrook, "--version"], env=env, capture_output=True)
            print(f"  {label:6} process start alone (--version): {time.perf_counter() - started:.2f} s")
    finally:
        server.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
