"""Mail helper of the tests: a loopback SMTP server, and a parser that reads
messages with Python's email package (an implementation independent of the
program's own MIME builder).

  mail_sink.py serve FOLDER [USER PASSWORD]
      Serves SMTP on 127.0.0.1 at a free port and prints the port on its
      first output line. Every message received is written to FOLDER as
      msg-N.json: the envelope and the message as parse would give it.
      With USER and PASSWORD the server offers AUTH (PLAIN, LOGIN) without
      TLS and refuses other credentials. Stops when its standard input
      closes, and after five minutes at the latest.

  mail_sink.py stall FOLDER
      The same server, except that it takes a message's data and then
      never answers: not the final reply after the data, nor anything
      after it (QUIT included).

  mail_sink.py noquit FOLDER
      The same server, except that it never answers QUIT (the message has
      been accepted and written by then).

  mail_sink.py refuse FOLDER ADDRESS
      The same server, except that it refuses the recipient ADDRESS with
      "550 5.1.1 <ADDRESS>: Recipient address rejected: no such user".

  mail_sink.py hangup FOLDER
      Greets each connection and closes it at once.

  mail_sink.py parse
      Reads a JSON list of base64-encoded messages from standard input and
      writes a JSON list of parsed messages to standard output.

A parsed message: {"headers": [[name, decoded value], ...], "from" and "to":
[[display name, address], ...], "body": base64
of the decoded text part, "charset", "attachments": [{"filename",
"content": base64, "content_type"}], "raw": base64 of the message}.
"""

import asyncio
import base64
import email
import email.policy
import json
import logging
import os
import sys
import warnings


def parse_message(raw):
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    result = {
        "headers": [[k, str(v)] for k, v in msg.items()],
        "defects": [type(d).__name__ for d in msg.defects],
        "body": None,
        "charset": None,
        "attachments": [],
        "raw": base64.b64encode(raw).decode("ascii"),
    }
    for field in ("From", "To"):
        header = msg[field]
        if header is not None:
            result[field.lower()] = [[a.display_name, a.addr_spec] for a in header.addresses]
    for part in msg.walk():
        if part.is_multipart():
            continue
        if part.get_content_disposition() == "attachment":
            result["attachments"].append({
                "filename": part.get_filename(),
                "content": base64.b64encode(part.get_payload(decode=True) or b"").decode("ascii"),
                "content_type": part.get_content_type(),
            })
        elif result["body"] is None and part.get_content_type() == "text/plain":
            result["body"] = base64.b64encode(part.get_payload(decode=True) or b"").decode("ascii")
            result["charset"] = part.get_content_charset()
    return result


class Sink:
    def __init__(self, folder, stall=False, answer_quit=True, refused=None):
        self.folder = folder
        self.count = 0
        self.stall = stall
        self.answer_quit = answer_quit
        self.refused = refused

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address == self.refused:
            return "550 5.1.1 <%s>: Recipient address rejected: no such user" % address
        envelope.rcpt_tos.append(address)
        envelope.rcpt_options.extend(rcpt_options)
        return "250 OK"

    async def handle_QUIT(self, server, session, envelope):
        if not self.answer_quit:
            await asyncio.sleep(3600)
        return "221 Bye"

    async def handle_DATA(self, server, session, envelope):
        if self.stall:
            await asyncio.sleep(3600)
        self.count += 1
        record = parse_message(envelope.original_content or envelope.content)
        record["mail_from"] = envelope.mail_from
        record["rcpt_tos"] = list(envelope.rcpt_tos)
        path = os.path.join(self.folder, "msg-%d.json" % self.count)
        with open(path + ".tmp", "w") as f:
            json.dump(record, f)
        os.replace(path + ".tmp", path)
        return "250 Message accepted"


async def hang_up(reader, writer):
    writer.write(b"220 sink.test ESMTP\r\n")
    await writer.drain()
    writer.close()


async def wait_for_stdin_to_close(loop):
    stdin_closed = loop.run_in_executor(None, sys.stdin.read)
    try:
        await asyncio.wait_for(stdin_closed, timeout=300)
    except asyncio.TimeoutError:
        pass


async def serve_hang_up():
    loop = asyncio.get_running_loop()
    server = await asyncio.start_server(hang_up, host="127.0.0.1", port=0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await wait_for_stdin_to_close(loop)
    server.close()
    await server.wait_closed()


async def serve(folder, credentials, stall=False, answer_quit=True, refused=None):
    # A test server: plain-text AUTH on purpose, and no chatter on stderr.
    warnings.simplefilter("ignore")
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    from aiosmtpd.smtp import SMTP, AuthResult

    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = (credentials is not None
              and auth_data.login.decode() == credentials[0]
              and auth_data.password.decode() == credentials[1])
        return AuthResult(success=ok, handled=False)

    sink = Sink(folder, stall, answer_quit, refused)
    options = {}
    if credentials is not None:
        options = dict(authenticator=authenticate, auth_require_tls=False, auth_required=True)
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(sink, hostname="sink.test", **options),
                                      host="127.0.0.1", port=0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await wait_for_stdin_to_close(loop)
    server.close()
    await server.wait_closed()


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "serve":
        credentials = (sys.argv[3], sys.argv[4]) if len(sys.argv) >= 5 else None
        asyncio.run(serve(sys.argv[2], credentials))
        os._exit(0)
    elif len(sys.argv) == 3 and sys.argv[1] == "stall":
        asyncio.run(serve(sys.argv[2], None, stall=True))
        os._exit(0)
    elif len(sys.argv) == 3 and sys.argv[1] == "noquit":
        asyncio.run(serve(sys.argv[2], None, answer_quit=False))
        os._exit(0)
    elif len(sys.argv) == 4 and sys.argv[1] == "refuse":
        asyncio.run(serve(sys.argv[2], None, refused=sys.argv[3]))
        os._exit(0)
    elif len(sys.argv) == 3 and sys.argv[1] == "hangup":
        asyncio.run(serve_hang_up())
        os._exit(0)
    elif len(sys.argv) == 2 and sys.argv[1] == "parse":
        messages = json.load(sys.stdin)
        json.dump([parse_message(base64.b64decode(m)) for m in messages], sys.stdout)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
