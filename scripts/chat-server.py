#!/usr/bin/env python3
"""A stand-in for an OpenAI-compatible chat server on 127.0.0.1, for trying inkwright-write
without a model: every chat completion is answered at once with a short article that quotes
the first line of its prompt. Prints the endpoint to give to --endpoint, then serves until
stopped; --requests FILE appends each request's Authorization header (or "-") and body there;
--tls CERT KEY serves https with that PEM certificate and key (give CERT to --ca-file).

    scripts/chat-server.py [--port N] [--requests FILE] [--tls CERT KEY]
"""
import argparse
import json
import ssl
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        if self.server.log:
            with open(self.server.log, "a", encoding="utf-8") as log:
                log.write(f"{self.headers.get('Authorization', '-')} {body.decode('utf-8', 'replace')}\n")
        try:
            prompt = json.loads(body)["messages"][0]["content"]
            status, answer = 200, {"choices": [{
                "message": {"role": "assistant",
                            "content": f"# An article\n\nWritten for: {prompt.splitlines()[0]}\n"},
                "finish_reason": "stop"}]}
        except (ValueError, KeyError, IndexError, TypeError):
            status, answer = 400, {"error": {"message": "not a chat completion request"}}
        if self.path.rstrip("/") != "/v1/chat/completions":
            status, answer = 404, {"error": {"message": f"no such path: {self.path}"}}
        data = json.dumps(answer).encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, *args):
        pass


parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
parser.add_argument("--port", type=int, default=0, help="the port (default: any free one)")
parser.add_argument("--requests", help="append each request to this file")
parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"), help="serve https")
options = parser.parse_args()
server = ThreadingHTTPServer(("127.0.0.1", options.port), Handler)
server.log = options.requests
if options.tls:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(*options.tls)
    server.socket = context.wrap_socket(server.socket, server_side=True)
scheme = "https" if options.tls else "http"
print(f"{scheme}://127.0.0.1:{server.server_address[1]}/v1", flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
