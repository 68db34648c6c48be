// Validates glTF files (.glb or .gltf with embedded data) with the Khronos validator.
// Prints one line per file with its counts of errors, warnings and infos, then each error.
// Exit status: 0 no file has an error; 1 some file has; 2 a file could not be read.
//
//   node validate.js FILE...
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require(path.join(process.env.GLTF_VALIDATOR_DIR || __dirname,
                                    'node_modules', 'gltf-validator'));

async function main(files) {
    let status = 0;
    for (const file of files) {
        let bytes;
        try {
            bytes = new Uint8Array(fs.readFileSync(file));
        } catch (e) {
            console.log(`${file}: cannot be read: ${e.message}`);
            status = 2;
            continue;
        }
        const report = await validator.validateBytes(bytes, {
            uri: file,
            maxIssues: 0,
            // Everything must be inside the file.
            externalResourceFunction: (uri) => Promise.reject(`external resource ${uri}`),
        });
        const issues = report.issues;
        console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
                    `${issues.numInfos} infos`);
        for (const m of issues.messages)
            if (m.severity === 0) console.log(`  ${m.code} at ${m.pointer}: ${m.message}`);
        if (issues.numErrors > 0 && status === 0) status = 1;
    }
    return status;
}

main(process.argv.slice(2)).then((status) => process.exit(status), (e) => {
    console.log(`validation failed: ${e}`);
    process.exit(2);
});
